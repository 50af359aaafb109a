#include "settings/two_way_rules.h"

TwoWayEnabling TwoWayEnablingOf(const TwoWayChoices& c) {
  bool mms = c.processSms && c.processMms;
  return {c.processSms, c.processSms && c.routeLocal, c.processSms && c.useCommands,
          c.processSms, mms, mms && c.mmsRouteMm7};
}

TwoWayChoices TwoWayChoicesFromStored(bool receiveSms, bool receiveMms, bool routeLocalUserListed,
                                      bool mmsRoutingMm7) {
  TwoWayChoices c = {};
  c.processSms = receiveSms || routeLocalUserListed;
  c.routeLocal = routeLocalUserListed;
  c.useCommands = !routeLocalUserListed;
  c.userSelected = routeLocalUserListed;
  c.processMms = c.processSms && receiveMms;
  c.mmsRouteMm7 = mmsRoutingMm7;
  return c;
}

TwoWayRefusal TwoWayLeaveRefusal(const TwoWayChoices& c, bool mm7ServerConfigured) {
  if (!c.processSms) return TwoWayRefusal::kNone;
  if (c.routeLocal && !c.userSelected) return TwoWayRefusal::kNoLocalUser;
  if (c.processMms && c.mmsRouteMm7 && !mm7ServerConfigured) return TwoWayRefusal::kMm7NotConfigured;
  return TwoWayRefusal::kNone;
}

TwoWayWrites TwoWayWritesOf(const TwoWayChoices& c) {
  return {c.processSms, c.processSms && c.processMms, c.processSms && c.routeLocal && c.userSelected, c.mmsRouteMm7};
}
