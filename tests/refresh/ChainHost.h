// A window stand-in for the refresh chain: it records the four buttons' states and
// whether the chain ended with the completion message, and runs each button's action
// as the real window does, by calling the refresh step of that button.
#pragma once

#include <array>
#include <utility>
#include <vector>

#include "data/Rowset.h"
#include "refresh/RefreshHost.h"
#include "refresh/RefreshStep.h"

namespace tiermend::testing {

class ChainHost : public refresh::RefreshHost {
 public:
  ChainHost(data::Rowset& target, data::Rowset& source) : target_(target), source_(source) {}

  void setButtonEnabled(int index, bool enabled) override { enabled_.at(index) = enabled; }
  void invokeButtonAction(int index) override {
    invoked.push_back(index);
    refresh::runRefreshStep(index, target_, source_, *this, end);
  }
  void showCompletionMessage() override { completionShown = true; }
  void endRun() override { runEnded = true; }
  void tableDone(int index, const refresh::TableCounts& counts) override {
    tables.emplace_back(index, counts);
  }

  bool allEnabled() const { return enabled_ == std::array<bool, 4>{true, true, true, true}; }
  bool allDisabled() const { return enabled_ == std::array<bool, 4>{false, false, false, false}; }

  refresh::StepEnd end = refresh::StepEnd::Commit;  // how every step ends its table's transaction
  std::vector<int> invoked;
  bool completionShown = false;
  bool runEnded = false;
  std::vector<std::pair<int, refresh::TableCounts>> tables;  // each table done, in order

 private:
  data::Rowset& target_;
  data::Rowset& source_;
  std::array<bool, 4> enabled_{true, true, true, true};
};

}  // namespace tiermend::testing
