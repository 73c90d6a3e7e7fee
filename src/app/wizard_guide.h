// The start-up guide: a fixed sequence of picture cards stepped through from
// the bottom bar, each held on the view for a few seconds, and the blinking
// of the speed button until the guide is first used.
#pragma once

#include <array>
#include <optional>

namespace vestora::app {

// Bitmap ids of the 34 cards, in order.
inline constexpr std::array<int, 34> kWizardCards = {
    530, 531, 532, 533, 538, 560, 561, 562, 563, 564, 565, 566, 567, 568, 569, 570, 571,
    572, 573, 574, 575, 576, 577, 578, 579, 580, 581, 583, 584, 585, 608, 609, 610, 611};

// Seconds per card below which the guide plays fast (cards only fade).
inline constexpr int kDefaultWizardSeconds = 3;

class WizardGuide {
 public:
  // The card to show after "next" (page + 1), or nothing on the last card.
  std::optional<int> next();
  // The card to show after "previous" (page − 1), or nothing on the first.
  std::optional<int> previous();

  // How long a card stays: 30 ms when fast, else the seconds per card.
  int holdMilliseconds() const { return fast_ ? 30 : seconds_ * 1000; }

  void setSeconds(int seconds);
  int seconds() const { return seconds_; }
  bool fast() const { return fast_; }
  int page() const { return page_; }

  // One tick of the blink timer: whether the speed button is shown now.
  bool blinkTick();
  // The guide was used: the blinking stops for good.
  void stopBlinking() { blinking_ = false; }
  bool blinking() const { return blinking_; }

 private:
  int page_ = -1;
  int seconds_ = kDefaultWizardSeconds;
  bool fast_ = false;
  int blinkPhase_ = 0;
  bool blinking_ = true;
};

}  // namespace vestora::app
