#include "platform/view/DatePicker.h"

#include <algorithm>
#include <cmath>

#include "platform/base/DateFormat.h"

namespace plat {

DatePicker::DatePicker(const Rect& frame)
    : Control(frame.isEmpty() ? Rect(0, 0, 320, kHeight) : frame),
      date_(Clock::current().now()),
      zone_(TimeZone::local()) {
  setBackgroundColor(Color::white());
}

double DatePicker::clamp(double date) const {
  if (minimum_) date = std::max(date, *minimum_);
  if (maximum_) date = std::min(date, *maximum_);
  return date;
}

void DatePicker::setDate(double date, bool) {
  date_ = clamp(date);
}

void DatePicker::setMinimumDate(std::optional<double> date) {
  minimum_ = date;
  date_ = clamp(date_);
}

void DatePicker::setMaximumDate(std::optional<double> date) {
  maximum_ = date;
  date_ = clamp(date_);
}

void DatePicker::setCountDownDuration(double seconds) {
  // Whole minutes on the interval, within a day.
  double step = 60.0 * minuteInterval_;
  double within = std::clamp(seconds, 0.0, 23 * 3600.0 + 59 * 60.0);
  countDown_ = std::floor(within / step) * step;
}

void DatePicker::pick(double date) {
  date_ = clamp(date);
  sendActions(kValueChanged);
}

void DatePicker::pickCountDown(double seconds) {
  setCountDownDuration(seconds);
  sendActions(kValueChanged);
}

std::string DatePicker::displayedValue() const {
  switch (mode_) {
    case DatePickerMode::Time:
      return DateFormat("HH:mm", zone_).format(date_);
    case DatePickerMode::Date:
      return DateFormat("yyyy-MM-dd", zone_).format(date_);
    case DatePickerMode::DateAndTime:
      return DateFormat("yyyy-MM-dd HH:mm", zone_).format(date_);
    case DatePickerMode::CountDownTimer: {
      int minutes = int(countDown_ / 60);
      return std::to_string(minutes / 60) + " 小时 " + std::to_string(minutes % 60) + " 分钟";
    }
  }
  return "";
}

void DatePicker::drawRect(DrawContext& context, const Rect&) {
  Rect b = bounds();
  context.setFillColor(Color::white(0.94));
  context.fillRect({b.x, b.midY() - kBand / 2, b.width, kBand});
  context.setFillColor(Color::black());
  Font font = Font::system(21);
  double height = font.lineHeight();
  if (mode_ != DatePickerMode::CountDownTimer) {
    context.drawText(displayedValue(), Rect(b.x, b.midY() - height / 2, b.width, height + 1), font,
                     LineBreakMode::Clip, TextAlignment::Center);
    return;
  }
  // Hours on the left half, minutes on the right, each with its arrows.
  int minutes = int(countDown_ / 60);
  const std::string halves[] = {std::to_string(minutes / 60) + " 小时",
                                std::to_string(minutes % 60) + " 分钟"};
  Font arrow = Font::system(30);
  for (int i = 0; i < 2; ++i) {
    Rect half(b.x + i * b.width / 2, 0, b.width / 2, 0);
    context.setFillColor(Color::black());
    context.drawText(halves[i], Rect(half.x, b.midY() - height / 2, half.width, height + 1), font,
                     LineBreakMode::Clip, TextAlignment::Center);
    context.setFillColor(Color::rgb255(0, 122, 255));
    context.drawText("▲", Rect(half.x, b.midY() - kBand / 2 - 48, half.width, 38), arrow,
                     LineBreakMode::Clip, TextAlignment::Center);
    context.drawText("▼", Rect(half.x, b.midY() + kBand / 2 + 10, half.width, 38), arrow,
                     LineBreakMode::Clip, TextAlignment::Center);
  }
}

void DatePicker::touchesEnded(const TouchSet& touches) {
  Control::touchesEnded(touches);
  if (mode_ != DatePickerMode::CountDownTimer || touches.empty() || !isEnabled()) return;
  const Point p = touches.front()->locationIn(this);
  const Rect b = bounds();
  if (!b.contains(p) || std::fabs(p.y - b.midY()) < kBand / 2) return;
  // Above the middle row counts up, below it down; both wrap round.
  const int step = p.y < b.midY() ? 1 : -1;
  int hours = int(countDown_ / 3600), minutes = int(countDown_ / 60) % 60;
  if (p.x < b.midX()) {
    hours = (hours + step + 24) % 24;
  } else {
    minutes = ((minutes + step * minuteInterval_) % 60 + 60) % 60;
  }
  pickCountDown(hours * 3600.0 + minutes * 60.0);
}

}  // namespace plat
