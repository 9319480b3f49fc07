// What the progress window shows, apart from the window: the run's counters,
// the stored fraction and the bar's geometry. Each command answers what the
// window has to do with itself (show, hide, repaint the bar).
#pragma once

#include <cstdint>
#include <string>

namespace shell {

struct ProgressPane {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Where the window goes over a pane: one pixel in from its left, 21 pixels
// short of its right.
struct ProgressPlacement {
  int32_t x, y, width, height;
};
ProgressPlacement PlaceOverPane(const ProgressPane& pane);

// Width of the bar part: the caption's width plus 20, at least 100 pixels.
int32_t ProgressBarWidth(int32_t captionWidth);

// The share of the current step from a set-fraction's ten-thousandths,
// clamped to 0..10000 and truncated to whole percent (9999 gives 0.99).
double ProgressStepShare(int32_t tenThousandths);

// Pixels of the bar that are done: bar width x (step + share) / total,
// truncated; 0 with no run.
int32_t ProgressDoneWidth(int32_t barWidth, int32_t currentStep, double share, int32_t totalSteps);

class CProgressModel {
public:
  enum class Change { None, Show, Hide };

  // Each answers what the window must do first; afterwards the bar is repainted
  // (also with Change::None), except where noted.
  Change Begin(uint16_t steps, const std::string& caption);
  Change Step();
  Change SetFraction(int32_t tenThousandths);
  // A pane: accepted again, and the shown window follows it (the window moves,
  // no repaint of its own). No pane: hidden, commands refused until the next
  // pane; a run keeps its counters.
  void Place(const ProgressPane& pane);
  void Unplace();

  // The window shows itself for a run with this bar width.
  void Shown(int32_t barWidth);

  bool Enabled() const { return m_enabled; }
  bool IsShown() const { return m_shown; }
  bool Running() const { return m_totalSteps != 0; }
  int32_t TotalSteps() const { return m_totalSteps; }
  int32_t CurrentStep() const { return m_currentStep; }
  double Fraction() const { return m_fraction; }
  const std::string& Caption() const { return m_text; }
  const ProgressPane& Pane() const { return m_pane; }
  int32_t BarWidth() const { return m_barWidth; }
  int32_t DoneWidth() const;

private:
  Change Update(double share);

  double m_fraction = 0.0;
  int32_t m_totalSteps = 0;
  int32_t m_currentStep = 0;
  std::string m_text;
  ProgressPane m_pane;
  bool m_shown = false;
  bool m_enabled = true;
  int32_t m_barWidth = 0;
};

}  // namespace shell
