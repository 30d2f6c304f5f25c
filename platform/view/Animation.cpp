#include "platform/view/Animation.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/base/Clock.h"
#include "platform/base/RunLoop.h"
#include "platform/view/View.h"

namespace plat {
namespace {

using Property = Animation::Property;
using Value = Animation::Value;

constexpr double kFrameInterval = 1.0 / 60;
const std::string kGroupKey = "animation";

struct Group {
  std::string name;
  double duration = 0;
  double start = 0;  // clock time when the change starts to show
  AnimationCurve curve = AnimationCurve::EaseInOut;
  Animation::Completion completion;
  Animation::DidStop didStop;
  int pending = 0;
  bool finished = true;
  bool done = false;
};

struct Running {
  const View* view;
  Property property;
  Value from;
  Value to;
  std::shared_ptr<Group> group;
};

struct Change {
  View* view;
  Property property;
  Value from;
  Value to;
};

struct Block {
  std::string name;
  double duration = 0.2;
  double delay = 0;
  AnimationCurve curve = AnimationCurve::EaseInOut;
  Animation::DidStop didStop;
  Animation::Completion completion;
  std::vector<Change> changes;
};

struct Progress {
  std::shared_ptr<Timer> timer;
  std::function<void(double)> step;
  Animation::Completion completion;
};

struct State {
  std::vector<Block> open;
  std::vector<Running> running;
  std::map<int, Progress> progress;
  int nextProgressId = 1;
  bool enabled = true;
};

// Animations belong to the main thread, like every view.
State& state() {
  static State* s = new State();  // never destroyed: views may go away at exit after it
  return *s;
}

double now() {
  return Clock::current().now();
}

// One coordinate of a cubic bezier from (0,0) to (1,1) with control points p1 and p2.
double bezier(double t, double p1, double p2) {
  double u = 1 - t;
  return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
}

double bezierEase(double x, double x1, double y1, double x2, double y2) {
  double lo = 0, hi = 1, t = x;
  for (int i = 0; i < 40; ++i) {  // bisection: the curve's x is monotonic
    t = (lo + hi) / 2;
    if (bezier(t, x1, x2) < x) {
      lo = t;
    } else {
      hi = t;
    }
  }
  return bezier(t, y1, y2);
}

Value interpolate(const Value& from, const Value& to, double f) {
  Value out;
  for (size_t i = 0; i < out.size(); ++i) out[i] = from[i] + (to[i] - from[i]) * f;
  return out;
}

void finishGroup(const std::shared_ptr<Group>& group, bool finished) {
  if (group->done) return;
  group->done = true;
  RunLoop::current().cancelPerforms(group.get(), kGroupKey);
  auto& running = state().running;
  std::erase_if(running, [&](const Running& r) { return r.group == group; });
  bool result = finished && group->finished;
  if (group->completion) group->completion(result);
  if (group->didStop) group->didStop(group->name, result);
}

// A group that lost its last animation early completes, unfinished, on the next turn.
void dropFromGroup(const std::shared_ptr<Group>& group) {
  group->finished = false;
  if (--group->pending > 0 || group->done) return;
  RunLoop::current().cancelPerforms(group.get(), kGroupKey);
  RunLoop::current().perform([group] { finishGroup(group, false); });
}

std::optional<Value> currentValue(const View& view, Property property) {
  for (const Running& r : state().running) {
    if (r.view != &view || r.property != property) continue;
    double t = r.group->duration > 0 ? (now() - r.group->start) / r.group->duration : 1;
    if (t <= 0) return r.from;
    if (t >= 1) return r.to;
    return interpolate(r.from, r.to, Animation::ease(r.group->curve, t));
  }
  return std::nullopt;
}

void removeRunning(const View& view, std::optional<Property> property) {
  std::vector<std::shared_ptr<Group>> touched;
  std::erase_if(state().running, [&](const Running& r) {
    if (r.view != &view || (property && r.property != *property)) return false;
    touched.push_back(r.group);
    return true;
  });
  for (const auto& group : touched) dropFromGroup(group);
}

std::shared_ptr<Group> commitBlock(Block block) {
  auto group = std::make_shared<Group>();
  group->name = block.name;
  group->duration = std::max(0.0, block.duration);
  group->start = now() + std::max(0.0, block.delay);
  group->curve = block.curve;
  group->completion = std::move(block.completion);
  group->didStop = std::move(block.didStop);
  for (const Change& change : block.changes) {
    removeRunning(*change.view, change.property);
    state().running.push_back({change.view, change.property, change.from, change.to, group});
    ++group->pending;
  }
  RunLoop::current().performAfter(std::max(0.0, block.delay) + group->duration, group.get(),
                                  kGroupKey, [group] { finishGroup(group, true); });
  return group;
}

}  // namespace

double Animation::ease(AnimationCurve curve, double t) {
  t = std::clamp(t, 0.0, 1.0);
  switch (curve) {
    case AnimationCurve::Linear:
      return t;
    case AnimationCurve::EaseIn:
      return bezierEase(t, 0.42, 0, 1, 1);
    case AnimationCurve::EaseOut:
      return bezierEase(t, 0, 0, 0.58, 1);
    case AnimationCurve::EaseInOut:
      return bezierEase(t, 0.42, 0, 0.58, 1);
  }
  return t;
}

void Animation::animate(double duration, const std::function<void()>& changes,
                        Completion completion) {
  animate(duration, 0, AnimationCurve::EaseInOut, changes, std::move(completion));
}

void Animation::animate(double duration, double delay, AnimationCurve curve,
                        const std::function<void()>& changes, Completion completion) {
  begin();
  setDuration(duration);
  setDelay(delay);
  setCurve(curve);
  state().open.back().completion = std::move(completion);
  if (changes) changes();
  commit();
}

void Animation::begin(const std::string& name) {
  Block block;
  block.name = name;
  state().open.push_back(std::move(block));
}

void Animation::setDuration(double seconds) {
  if (!state().open.empty()) state().open.back().duration = seconds;
}
void Animation::setDelay(double seconds) {
  if (!state().open.empty()) state().open.back().delay = seconds;
}
void Animation::setCurve(AnimationCurve curve) {
  if (!state().open.empty()) state().open.back().curve = curve;
}
void Animation::setDidStop(DidStop didStop) {
  if (!state().open.empty()) state().open.back().didStop = std::move(didStop);
}

void Animation::commit() {
  if (state().open.empty()) return;
  Block block = std::move(state().open.back());
  state().open.pop_back();
  commitBlock(std::move(block));
}

void Animation::commitAndWait() {
  if (state().open.empty()) return;
  Block block = std::move(state().open.back());
  state().open.pop_back();
  const double end = std::max(0.0, block.delay) + std::max(0.0, block.duration);
  std::shared_ptr<Group> group = commitBlock(std::move(block));
  RunLoop& loop = RunLoop::current();
  if (Clock::current().isVirtual()) {
    // Virtual time moves only when driven: the wait is the clock moving on to the block's end.
    loop.advance(end);
    return;
  }
  while (!group->done) loop.runMode(kDefaultRunLoopMode, now() + 0.05, true);
}

bool Animation::isBlockOpen() {
  return !state().open.empty();
}
void Animation::setEnabled(bool enabled) {
  state().enabled = enabled;
}
bool Animation::enabled() {
  return state().enabled;
}

bool Animation::record(View& view, Property property, const Value& from, const Value& to) {
  if (state().open.empty() || !state().enabled) return false;
  Block& block = state().open.back();
  for (Change& change : block.changes) {
    if (change.view == &view && change.property == property) {
      change.to = to;
      return true;
    }
  }
  block.changes.push_back({&view, property, currentValue(view, property).value_or(from), to});
  return true;
}

Presentation Animation::presentationOf(const View& view) {
  Presentation p{view.center(), view.bounds(), view.alpha(), view.transform(),
                 view.backgroundColor()};
  for (Property property : {Property::Center, Property::Bounds, Property::Alpha,
                            Property::Transform, Property::Background}) {
    std::optional<Value> v = currentValue(view, property);
    if (!v) continue;
    const Value& x = *v;
    switch (property) {
      case Property::Center:
        p.center = {x[0], x[1]};
        break;
      case Property::Bounds:
        p.bounds = {x[0], x[1], x[2], x[3]};
        break;
      case Property::Alpha:
        p.alpha = x[0];
        break;
      case Property::Transform:
        p.transform = {x[0], x[1], x[2], x[3], x[4], x[5]};
        break;
      case Property::Background:
        p.backgroundColor = {x[0], x[1], x[2], x[3]};
        break;
    }
  }
  return p;
}

bool Animation::isAnimating(const View& view) {
  return std::any_of(state().running.begin(), state().running.end(),
                     [&](const Running& r) { return r.view == &view; });
}

void Animation::removeAll(const View& view) {
  removeRunning(view, std::nullopt);
}

size_t Animation::runningCount() {
  return state().running.size();
}

void Animation::forget(const View& view) {
  removeRunning(view, std::nullopt);
  for (Block& block : state().open) {
    std::erase_if(block.changes, [&](const Change& c) { return c.view == &view; });
  }
}

void Animation::addTransition(View& view, Transition, double duration, Completion didStop) {
  std::weak_ptr<View> weak = view.weak_from_this();
  RunLoop::current().performAfter(std::max(0.0, duration), &view, "transition", [weak, didStop] {
    if (didStop) didStop(!weak.expired());
  });
}

int Animation::animateProgress(double duration, AnimationCurve curve,
                               std::function<void(double)> step, Completion completion) {
  int id = state().nextProgressId++;
  double start = now();
  duration = std::max(0.0, duration);
  auto tick = [id, start, duration, curve](Timer&) {
    auto found = state().progress.find(id);
    if (found == state().progress.end()) return;
    double t = duration > 0 ? (now() - start) / duration : 1;
    if (t < 1) {
      found->second.step(ease(curve, t));
      return;
    }
    Progress done = std::move(found->second);
    state().progress.erase(found);
    done.timer->invalidate();
    done.step(1);
    if (done.completion) done.completion(true);
  };
  Progress entry{nullptr, std::move(step), std::move(completion)};
  entry.timer = Timer::scheduled(kFrameInterval, true, tick, kCommonModes);
  state().progress[id] = std::move(entry);
  return id;
}

void Animation::cancelProgress(int id) {
  auto found = state().progress.find(id);
  if (found == state().progress.end()) return;
  Progress done = std::move(found->second);
  state().progress.erase(found);
  done.timer->invalidate();
  if (done.completion) done.completion(false);
}

}  // namespace plat
