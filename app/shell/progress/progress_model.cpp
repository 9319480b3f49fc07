#include "app/shell/progress/progress_model.h"

#include <algorithm>
#include <limits>


namespace shell {

ProgressPlacement PlaceOverPane(const ProgressPane& pane) {
  // 64-bit sums: a pane comes from another thread's message and may hold anything.
  auto width = static_cast<int64_t>(pane.right) - pane.left - 21;
  auto height = static_cast<int64_t>(pane.bottom) - pane.top;
  auto fit = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, 0, std::numeric_limits<int32_t>::max())); };
  int32_t x = pane.left == std::numeric_limits<int32_t>::max() ? pane.left : pane.left + 1;
  return {x, pane.top, fit(width), fit(height)};
}

int32_t ProgressBarWidth(int32_t captionWidth) {
  if (captionWidth > std::numeric_limits<int32_t>::max() - 20) return std::numeric_limits<int32_t>::max();
  return std::max(captionWidth + 20, 100);
}

double ProgressStepShare(int32_t tenThousandths) {
  // Whole percent, rounded down: the bar never shows more than is done.
  int32_t percent = std::clamp(tenThousandths, 0, 10000) / 100;
  return percent * 0.01;
}

int32_t ProgressDoneWidth(int32_t barWidth, int32_t currentStep, double share, int32_t totalSteps) {
  if (totalSteps <= 0 || barWidth <= 0) return 0;
  double overall = std::clamp((currentStep + share) / totalSteps, 0.0, 1.0);
  return static_cast<int32_t>(barWidth * overall);
}

CProgressModel::Change CProgressModel::Begin(uint16_t steps, const std::string& caption) {
  if (steps != 0 && m_totalSteps != 0) {
    // A nested run extends the outer one and keeps its caption.
    m_totalSteps = m_totalSteps > std::numeric_limits<int32_t>::max() - steps ? std::numeric_limits<int32_t>::max()
                                                                              : m_totalSteps + steps;
    return Update(m_fraction);
  }
  m_totalSteps = steps;
  m_currentStep = 0;
  m_text = caption;
  return Update(0.0);
}

CProgressModel::Change CProgressModel::Step() {
  if (++m_currentStep < m_totalSteps) return Update(0.0);
  // The last step, or one beyond the total, ends the run.
  return Begin(0, std::string());
}

CProgressModel::Change CProgressModel::SetFraction(int32_t tenThousandths) {
  return Update(ProgressStepShare(tenThousandths));
}

CProgressModel::Change CProgressModel::Update(double share) {
  Change change = Change::None;
  if (!m_shown && Running()) {
    change = Change::Show;
  } else if (m_shown && !Running()) {
    change = Change::Hide;
    m_shown = false;
    m_barWidth = 0;
  }
  m_fraction = std::clamp(share, 0.0, 1.0);
  return change;
}

void CProgressModel::Shown(int32_t barWidth) {
  m_barWidth = barWidth;
  m_shown = true;
}

void CProgressModel::Place(const ProgressPane& pane) {
  m_enabled = true;
  m_pane = pane;
}

void CProgressModel::Unplace() {
  m_enabled = false;
  m_shown = false;
}

int32_t CProgressModel::DoneWidth() const {
  return Running() ? ProgressDoneWidth(m_barWidth, m_currentStep, m_fraction, m_totalSteps) : 0;
}

}  // namespace shell
