// A date picker: a time of day, a date, both, or a count-down duration, shown as text in the
// picker's area. The user's choice (pick / pickCountDown, or a tap on the arrows above and below
// a count-down's hours and minutes) sends value-changed; values set in code do not.
#pragma once

#include <memory>
#include <optional>

#include "platform/base/Clock.h"
#include "platform/view/Control.h"

namespace plat {

enum class DatePickerMode { Time, Date, DateAndTime, CountDownTimer };

class DatePicker : public Control {
 public:
  static constexpr double kHeight = 216;

  explicit DatePicker(const Rect& frame = {});

  DatePickerMode mode() const { return mode_; }
  void setMode(DatePickerMode mode) { mode_ = mode; }
  double date() const { return date_; }  // unix time
  void setDate(double date, bool animated = false);
  std::optional<double> minimumDate() const { return minimum_; }
  void setMinimumDate(std::optional<double> date);
  std::optional<double> maximumDate() const { return maximum_; }
  void setMaximumDate(std::optional<double> date);
  int minuteInterval() const { return minuteInterval_; }
  void setMinuteInterval(int minutes) { minuteInterval_ = minutes > 0 ? minutes : 1; }
  double countDownDuration() const { return countDown_; }  // seconds
  void setCountDownDuration(double seconds);
  std::shared_ptr<const TimeZone> timeZone() const { return zone_; }
  void setTimeZone(std::shared_ptr<const TimeZone> zone) { zone_ = std::move(zone); }

  // A choice made by the user.
  void pick(double date);
  void pickCountDown(double seconds);

  // What the picker shows.
  std::string displayedValue() const;

  void drawRect(DrawContext& context, const Rect& rect) override;
  void touchesEnded(const TouchSet& touches) override;
  std::string displayedText() const override { return displayedValue(); }

 private:
  static constexpr double kBand = 36;  // the row of the chosen value, across the middle
  double clamp(double date) const;

  DatePickerMode mode_ = DatePickerMode::DateAndTime;
  double date_;
  std::optional<double> minimum_;
  std::optional<double> maximum_;
  int minuteInterval_ = 1;
  double countDown_ = 0;
  std::shared_ptr<const TimeZone> zone_;
};

}  // namespace plat
