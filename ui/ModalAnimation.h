// Animations that block their caller until they end: the current animation block is committed
// and the run loop serves its other sources until the block has stopped, so the application
// stays responsive while the caller waits.
#pragma once

namespace ModalModalAnimationHelper {

// Commits the open animation block and returns once its animations have stopped.
void commitModalAnimations();

// Holds the calling thread for `seconds` without serving its run loop; on a virtual clock the
// clock moves on instead.
void sleepWithoutRunLoop(double seconds);

}  // namespace ModalModalAnimationHelper
