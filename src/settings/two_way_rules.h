// What the 2-Way page's choices mean: which controls they enable, when the
// page may be left, and what Apply stores. No windows.h.
#pragma once

struct TwoWayChoices {
  bool processSms;
  bool routeLocal;
  bool useCommands;      // the other choice: the command table handles received SMS
  bool userSelected;     // a local user (not the empty first entry) is chosen
  bool processMms;
  bool mmsRouteMm7;      // else received MMS go to the directory
};

struct TwoWayEnabling {
  bool routeChoice;  // route to a local user / use the command table
  bool localUser;
  bool commandTable;  // the table, its buttons and the charset
  bool processMms;
  bool mmsRouteChoice;
  bool configureMm7;
};
TwoWayEnabling TwoWayEnablingOf(const TwoWayChoices& choices);

// How stored values show: a RouteLocal naming a listed user routes to it and
// switches SMS processing on, whatever ReceiveSMS says.
TwoWayChoices TwoWayChoicesFromStored(bool receiveSms, bool receiveMms, bool routeLocalUserListed,
                                      bool mmsRoutingMm7);

enum class TwoWayRefusal { kNone, kNoLocalUser, kMm7NotConfigured };
// A chosen route that is incomplete keeps the page open.
TwoWayRefusal TwoWayLeaveRefusal(const TwoWayChoices& choices, bool mm7ServerConfigured);

struct TwoWayWrites {
  bool receiveSms;
  bool receiveMms;
  // The chosen user is stored only while received SMS are processed: a stale
  // one would switch processing back on when the page is loaded next.
  bool keepLocalUser;
  bool mmsRoutingMm7;
};
TwoWayWrites TwoWayWritesOf(const TwoWayChoices& choices);
