// What the pages' choices enable, store and refuse, one table per rule. Rows
// give the choices and what follows from them as strings of 0 and 1, one
// character per field in the order of the struct.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "modem/modem_settings.h"
#include "monitor/test_tracking.h"
#include "settings/two_way_rules.h"

namespace {

std::string Bits(std::initializer_list<bool> fields) {
  std::string bits;
  for (bool field : fields) bits += field ? '1' : '0';
  return bits;
}

bool Bit(const char* bits, size_t index) { return bits[index] == '1'; }

TwoWayChoices TwoWay(const char* b) { return {Bit(b, 0), Bit(b, 1), Bit(b, 2), Bit(b, 3), Bit(b, 4), Bit(b, 5)}; }

}  // namespace

TEST(ModemEnabling, EachSwitchEnablesItsControlsAndReceivedMmsNeedsBoth) {
  // receiveSms sendMms otherConnection; smsStorage mmsSettings receiveMms networkConnection
  const char* const rows[][2] = {{"000", "0000"}, {"100", "1000"}, {"010", "0100"},  // MMS notifications come as SMS
                                 {"110", "1110"}, {"001", "0001"}};
  for (const auto& row : rows) {
    ModemEnabling e = ModemEnablingOf({Bit(row[0], 0), Bit(row[0], 1), Bit(row[0], 2)});
    EXPECT_EQ(Bits({e.smsStorage, e.mmsSettings, e.receiveMms, e.networkConnection}), row[1]) << row[0];
  }
}

TEST(TwoWayRules, StoredRoutingShowsAsChoicesWhichDecideEnablingRefusalAndWrites) {
  // receiveSms receiveMms userListed mm7; the choices
  const char* const rows[][2] = {{"0100", "001000"},  // MMS only with SMS processing
                                 {"1100", "101010"},
                                 {"0010", "110100"},  // a listed user switches processing on
                                 {"1001", "101001"}};
  for (const auto& row : rows) {
    TwoWayChoices c = TwoWayChoicesFromStored(Bit(row[0], 0), Bit(row[0], 1), Bit(row[0], 2), Bit(row[0], 3));
    EXPECT_EQ(Bits({c.processSms, c.routeLocal, c.useCommands, c.userSelected, c.processMms, c.mmsRouteMm7}), row[1])
        << row[0];
  }
  const struct {
    const char* choices;
    bool mm7Configured;
    const char* enabling;
    const char* writes;
    TwoWayRefusal refusal;
  } choiceRows[] = {
      // SMS processing off: nothing below it works, nothing refuses, no user kept.
      {"010111", false, "000000", "0001", TwoWayRefusal::kNone},
      {"110000", true, "110100", "1000", TwoWayRefusal::kNoLocalUser},
      {"101100", true, "101100", "1000", TwoWayRefusal::kNone},
      {"101011", false, "101111", "1101", TwoWayRefusal::kMm7NotConfigured},
      {"101010", false, "101110", "1100", TwoWayRefusal::kNone},
  };
  for (const auto& row : choiceRows) {
    SCOPED_TRACE(row.choices);
    TwoWayEnabling e = TwoWayEnablingOf(TwoWay(row.choices));
    EXPECT_EQ(Bits({e.routeChoice, e.localUser, e.commandTable, e.processMms, e.mmsRouteChoice, e.configureMm7}),
              row.enabling);
    TwoWayWrites w = TwoWayWritesOf(TwoWay(row.choices));
    EXPECT_EQ(Bits({w.receiveSms, w.receiveMms, w.keepLocalUser, w.mmsRoutingMm7}), row.writes);
    EXPECT_EQ(TwoWayLeaveRefusal(TwoWay(row.choices), row.mm7Configured), row.refusal);
  }
}

TEST(TestMessageControls, SendOnlyThroughRunningServicesAndOneTestOfAKindAtATime) {
  // smsActive mmsActive phoneValid smsPending mmsPending smsDone mmsDone;
  // webTest phone sendSms sendMms cancelShown finish
  // The Test Message page's test reaches the services' switches.
  const char* const rows[][2] = {{"1100000", "110000"}, {"1110000", "111100"}, {"1111000", "100110"},
                                 {"1110100", "111010"}, {"1110110", "111010"},  // one still in flight
                                 {"0000001", "000001"}};
  for (const auto& row : rows) {
    const char* b = row[0];
    TestMessageControls c =
        TestMessageControlsOf({Bit(b, 0), Bit(b, 1), Bit(b, 2), Bit(b, 3), Bit(b, 4), Bit(b, 5), Bit(b, 6)});
    EXPECT_EQ(Bits({c.webTest, c.phone, c.sendSms, c.sendMms, c.cancelShown, c.finish}), row[1]) << b;
  }
}
