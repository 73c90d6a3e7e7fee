#include "app/wizard_guide.h"

namespace vestora::app {

std::optional<int> WizardGuide::next() {
  if (page_ >= static_cast<int>(kWizardCards.size()) - 1) return std::nullopt;
  stopBlinking();
  return kWizardCards[static_cast<std::size_t>(++page_)];
}

std::optional<int> WizardGuide::previous() {
  if (page_ < 1) return std::nullopt;
  stopBlinking();
  return kWizardCards[static_cast<std::size_t>(--page_)];
}

void WizardGuide::setSeconds(int seconds) {
  stopBlinking();
  seconds_ = seconds;
  fast_ = seconds_ < kDefaultWizardSeconds;
}

bool WizardGuide::blinkTick() {
  const bool shown = blinkPhase_ % 2 != 0;
  blinkPhase_ = (blinkPhase_ + 1) % 2;
  return shown;
}

}  // namespace vestora::app
