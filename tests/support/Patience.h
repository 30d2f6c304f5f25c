// How long a test waits for the sign it waits for (a reply, a line of a program's output, a port
// named, a look of the window) before it fails. A busy machine may make any step many times
// slower; a test waits however long that takes and fails only on a sign that the step will never
// come: the program it waits for has ended, or this bound, far beyond any ordinary run, passed.
// CTest's limit on each case (tests/CMakeLists.txt) stays well above it. A test that waits on the
// run loop passes it to RunLoop::runUntil, whose own default is short.
#pragma once

namespace testsupport {

inline constexpr double kPatience = 600;
// How long a test waits for what its point is that it comes soon (a pasted text, a message, a
// close heard): far beyond an ordinary run, also with every core busy, yet short of the patience
// of a step, so that a fault fails in a minute, not in ten.
inline constexpr double kSoon = 60;

}  // namespace testsupport
