// What the pages' choices enable, store and refuse, one table per rule.
#include <gtest/gtest.h>

#include "modem/modem_settings.h"
#include "monitor/test_tracking.h"
#include "settings/two_way_rules.h"

namespace {

TEST(ModemEnabling, EachSwitchEnablesItsControlsAndReceivedMmsNeedsBoth) {
  struct Row {
    ModemChoices choices;
    bool storage, mms, receiveMms, connection;
  } rows[] = {
      {{false, false, false}, false, false, false, false},
      {{true, false, false}, true, false, false, false},
      {{false, true, false}, false, true, false, false},  // MMS notifications come as SMS
      {{true, true, false}, true, true, true, false},
      {{false, false, true}, false, false, false, true},
  };
  for (const Row& row : rows) {
    ModemEnabling e = ModemEnablingOf(row.choices);
    SCOPED_TRACE(testing::Message() << row.choices.receiveSms << row.choices.sendMms << row.choices.otherConnection);
    EXPECT_EQ(e.smsStorage, row.storage);
    EXPECT_EQ(e.mmsSettings, row.mms);
    EXPECT_EQ(e.receiveMms, row.receiveMms);
    EXPECT_EQ(e.networkConnection, row.connection);
  }
}

TEST(TwoWayRules, StoredRoutingShowsAsChoices) {
  struct Row {
    bool receiveSms, receiveMms, userListed, mm7;
    bool processSms, routeLocal, processMms;
  } rows[] = {
      {false, true, false, false, false, false, false},  // MMS only with SMS processing
      {true, true, false, false, true, false, true},
      {false, false, true, false, true, true, false},  // a listed user switches processing on
      {true, false, false, true, true, false, false},
  };
  for (const Row& row : rows) {
    TwoWayChoices c = TwoWayChoicesFromStored(row.receiveSms, row.receiveMms, row.userListed, row.mm7);
    SCOPED_TRACE(testing::Message() << row.receiveSms << row.receiveMms << row.userListed << row.mm7);
    EXPECT_EQ(c.processSms, row.processSms);
    EXPECT_EQ(c.routeLocal, row.routeLocal);
    EXPECT_NE(c.useCommands, row.routeLocal) << "one route or the other";
    EXPECT_EQ(c.userSelected, row.userListed);
    EXPECT_EQ(c.processMms, row.processMms);
    EXPECT_EQ(c.mmsRouteMm7, row.mm7);
  }
}

TEST(TwoWayRules, EnablingRefusalAndWritesFollowTheChoices) {
  // processSms, routeLocal, useCommands, userSelected, processMms, mmsRouteMm7
  struct Row {
    TwoWayChoices c;
    bool mm7Configured;
    bool localUser, commandTable, mmsRouteChoice, configureMm7;
    TwoWayRefusal refusal;
    bool receiveMms, keepUser;
  } rows[] = {
      // SMS processing off: nothing below it works, nothing refuses, no user kept.
      {{false, true, false, true, true, true}, false, false, false, false, false, TwoWayRefusal::kNone, false, false},
      {{true, true, false, false, false, false}, true, true, false, false, false, TwoWayRefusal::kNoLocalUser, false,
       false},
      {{true, true, false, true, false, false}, true, true, false, false, false, TwoWayRefusal::kNone, false, true},
      {{true, false, true, true, false, false}, true, false, true, false, false, TwoWayRefusal::kNone, false, false},
      {{true, false, true, false, true, true}, false, false, true, true, true, TwoWayRefusal::kMm7NotConfigured, true,
       false},
      {{true, false, true, false, true, true}, true, false, true, true, true, TwoWayRefusal::kNone, true, false},
      {{true, false, true, false, true, false}, false, false, true, true, false, TwoWayRefusal::kNone, true, false},
  };
  int index = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(index++);
    TwoWayEnabling e = TwoWayEnablingOf(row.c);
    EXPECT_EQ(e.routeChoice, row.c.processSms);
    EXPECT_EQ(e.processMms, row.c.processSms);
    EXPECT_EQ(e.localUser, row.localUser);
    EXPECT_EQ(e.commandTable, row.commandTable);
    EXPECT_EQ(e.mmsRouteChoice, row.mmsRouteChoice);
    EXPECT_EQ(e.configureMm7, row.configureMm7);
    EXPECT_EQ(TwoWayLeaveRefusal(row.c, row.mm7Configured), row.refusal);
    TwoWayWrites w = TwoWayWritesOf(row.c);
    EXPECT_EQ(w.receiveSms, row.c.processSms);
    EXPECT_EQ(w.receiveMms, row.receiveMms);
    EXPECT_EQ(w.keepLocalUser, row.keepUser);
    EXPECT_EQ(w.mmsRoutingMm7, row.c.mmsRouteMm7);
  }
}

TEST(TestMessageControls, SendOnlyThroughRunningServicesAndOneTestOfAKindAtATime) {
  // smsActive, mmsActive, phoneValid, smsPending, mmsPending, smsDone, mmsDone
  struct Row {
    TestMessageInputs in;
    bool web, phone, sendSms, sendMms, cancel, finish;
  } rows[] = {
      {{false, true, true, false, false, false, false}, false, false, false, false, false, false},
      {{true, false, true, false, false, false, false}, true, true, true, false, false, false},
      {{true, true, false, false, false, false, false}, true, true, false, false, false, false},
      {{true, true, true, false, false, false, false}, true, true, true, true, false, false},
      {{true, true, true, true, false, false, false}, true, false, false, true, true, false},
      {{true, true, true, false, true, false, false}, true, true, true, false, true, false},
      {{true, true, true, false, true, true, false}, true, true, true, false, true, false},  // one still in flight
      {{false, false, false, false, false, false, true}, false, false, false, false, false, true},
  };
  int index = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(index++);
    TestMessageControls c = TestMessageControlsOf(row.in);
    EXPECT_EQ(c.webTest, row.web);
    EXPECT_EQ(c.phone, row.phone);
    EXPECT_EQ(c.sendSms, row.sendSms);
    EXPECT_EQ(c.sendMms, row.sendMms);
    EXPECT_EQ(c.cancelShown, row.cancel);
    EXPECT_EQ(c.finish, row.finish);
  }
}

}  // namespace
