#include "ui/form.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace zolt::ui {
namespace {

// Records the events a program would handle.
class RecordingEvents : public FormEvents {
 public:
  void OnLoad() override { log.push_back("load"); }
  void OnClick(const ControlKey& c) override {
    log.push_back("click " + c.ToString());
  }
  void OnKeyPress(const ControlKey& c, int key) override {
    log.push_back("keypress " + c.ToString() + " " + std::to_string(key));
  }
  void OnKeyUp(const ControlKey& c, int key, int shift) override {
    log.push_back("keyup " + c.ToString() + " " + std::to_string(key) + " " +
                  std::to_string(shift));
  }
  void OnUnload() override { log.push_back("unload"); }
  std::vector<std::string> log;
};

class RecordingObserver : public FormObserver {
 public:
  explicit RecordingObserver(Form* form = nullptr) : form_(form) {}
  void OnControlChanged(const Control& c, Property what) override {
    changes.push_back(c.key().ToString() + ":" +
                      std::to_string(static_cast<int>(what)));
  }
  void OnFormChanged(Property) override { changes.push_back("form"); }
  void OnCloseRequested() override {
    changes.push_back("close");
    if (form_ != nullptr) form_->Closed();  // as a renderer does
  }
  std::vector<std::string> changes;

 private:
  Form* form_;
};

// Two option arrays on the form in their own groups, one array in a frame
// (its own group by container), a button inside the frame.
class FormTest : public ::testing::Test {
 protected:
  FormTest() : form_("frmTest", "Test", 6000, 4000) {
    for (int i = 0; i < 3; ++i) {
      form_.Add(ControlKind::kOption, {"optA", i}, {0, i * 300, 1000, 255})
          .SetOptionGroup("a");
      form_.Add(ControlKind::kOption, {"optB", i}, {2000, i * 300, 1000, 255})
          .SetOptionGroup("b");
    }
    form_.Add(ControlKind::kFrame, {"fraBox", 0}, {0, 1200, 3000, 2000}, "box");
    for (int i = 0; i < 2; ++i) {
      form_.Add(ControlKind::kOption, {"optA", 10 + i}, {100, 300 * i, 1000, 255},
                "", {"fraBox", 0})
          .SetOptionGroup("a");
    }
    form_.Add(ControlKind::kButton, "cmdGo", {100, 900, 1000, 400}, "Go",
              {"fraBox", 0});
    form_.SetEvents(&events_);
  }

  std::vector<bool> Values(const std::string& name, std::vector<int> indices) {
    std::vector<bool> v;
    for (int i : indices) v.push_back(form_.Get(name, i).value());
    return v;
  }

  Form form_;
  RecordingEvents events_;
};

TEST_F(FormTest, OptionsAreExclusivePerContainerAndGroup) {
  form_.Get("optA", 0).SetValue(true);
  form_.Get("optB", 2).SetValue(true);
  form_.Get("optA", 10).SetValue(true);
  form_.Click({"optA", 1});
  EXPECT_EQ(Values("optA", {0, 1, 2, 10, 11}),
            (std::vector<bool>{false, true, false, true, false}));
  EXPECT_EQ(Values("optB", {0, 1, 2}), (std::vector<bool>{false, false, true}));
}

TEST_F(FormTest, SelectingAnOptionClicksItOnlyWhenItChanges) {
  form_.Get("optB", 1).SetValue(true);  // code selects: Click runs
  form_.Get("optB", 1).SetValue(true);  // already selected: quiet
  form_.Click({"optB", 1});             // user clicks the selected one: quiet
  form_.Click({"optB", 0});
  form_.Get("optB", 0).SetValue(false);  // deselecting never clicks
  EXPECT_EQ(events_.log,
            (std::vector<std::string>{"click optB(1)", "click optB(0)"}));
}

TEST_F(FormTest, ClicksOnHiddenOrDisabledControlsAreIgnored) {
  form_.Get("cmdGo").SetEnabled(false);
  form_.Click("cmdGo");
  form_.Get("cmdGo").SetEnabled(true);
  form_.Get("fraBox", 0).SetVisible(false);  // hides what is inside
  form_.Click("cmdGo");
  form_.Click({"optA", 10});
  form_.Get("fraBox", 0).SetVisible(true);
  form_.Get("fraBox", 0).SetEnabled(false);  // disables what is inside
  form_.Click("cmdGo");
  form_.Get("fraBox", 0).SetEnabled(true);
  form_.Click("cmdGo");
  EXPECT_EQ(events_.log, std::vector<std::string>{"click cmdGo"});
  EXPECT_FALSE(form_.Get("optA", 10).value());
}

TEST_F(FormTest, ObserversHearOnlyRealChanges) {
  RecordingObserver observer;
  form_.AddObserver(&observer);
  Control& go = form_.Get("cmdGo");
  go.SetText("Go");  // unchanged
  go.SetText("Stop");
  go.SetBackColor(go.back_color());
  go.SetBackColor(kColorLightRed);
  go.SetFontBold(true);
  go.SetAlignment(go.alignment());
  go.SetAlignment(Alignment::kRight);
  EXPECT_EQ(go.alignment(), Alignment::kRight);
  form_.SetCaption("Test");  // unchanged
  form_.SetCaption("Other");
  form_.RemoveObserver(&observer);
  go.SetText("Gone");
  const auto change = [](Property p) {
    return "cmdGo:" + std::to_string(static_cast<int>(p));
  };
  EXPECT_EQ(observer.changes,
            (std::vector<std::string>{change(Property::kText),
                                      change(Property::kBackColor),
                                      change(Property::kFont),
                                      change(Property::kAlignment), "form"}));
}

TEST_F(FormTest, AddRejectsTakenKeysAndNonContainers) {
  EXPECT_THROW(form_.Add(ControlKind::kLabel, {"optA", 0}, {}), std::invalid_argument);
  EXPECT_THROW(form_.Add(ControlKind::kLabel, "lblX", {}, "", "cmdGo"),
               std::invalid_argument);
  EXPECT_THROW(form_.Add(ControlKind::kLabel, "lblX", {}, "", {"fraBox", 1}),
               std::invalid_argument);
  EXPECT_THROW(form_.Get("optA", 5), std::out_of_range);
  // An array element and a single control are different keys.
  EXPECT_EQ(form_.Find("optA"), nullptr);
  std::vector<std::string> names;
  for (const Control* c : form_.ChildrenOf({"fraBox", 0})) {
    names.push_back(c->key().ToString());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"optA(10)", "optA(11)", "cmdGo"}));
}

TEST_F(FormTest, CloseUnloadsOnceHeadlessAndThroughARenderer) {
  form_.Close();
  form_.Close();
  form_.Closed();
  EXPECT_EQ(events_.log, std::vector<std::string>{"unload"});
  EXPECT_TRUE(form_.closed());
  form_.Click("cmdGo");  // a closed window takes no more events
  EXPECT_EQ(events_.log.size(), 1u);

  Form other("frmOther", "Other", 100, 100);
  RecordingEvents events;
  RecordingObserver renderer(&other);
  other.SetEvents(&events);
  other.AddObserver(&renderer);
  other.Close();
  EXPECT_EQ(renderer.changes, std::vector<std::string>{"close"});
  EXPECT_EQ(events.log, std::vector<std::string>{"unload"});
}

TEST_F(FormTest, KeyEventsNameTheirSource) {
  form_.KeyPress({"optA", 0}, 'x');
  form_.KeyUp({}, kKeyEscape, kShiftMask);
  EXPECT_EQ(events_.log, (std::vector<std::string>{"keypress optA(0) 120",
                                                    "keyup (form) 27 1"}));
}

TEST(ColorTest, PixelsAndSystemColoursResolve) {
  EXPECT_EQ(TwipsToPixels(255), 17);
  EXPECT_EQ(TwipsToPixels(7), 0);
  EXPECT_EQ(ResolveColor(SystemColor(200)), Rgb(212, 208, 200));
  EXPECT_EQ(ResolveColor(kColorLightGreen), kColorLightGreen);
}

}  // namespace
}  // namespace zolt::ui
