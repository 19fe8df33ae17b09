#pragma once
// A seam that makes one chosen step of a write or a walk fail, so that every
// recovery branch can be driven by a test. Each step asks failingStep() right
// before its system call and, when a failure is armed for it, reports that
// error instead of making the call. Nothing is armed unless a test arms it;
// the check costs one relaxed atomic load.

namespace zentory::platform {

// The steps that can be made to fail.
enum class Step {
    Write,      // bytes into the new file or the spool
    Flush,      // the new text to the disk
    Truncate,   // a file's length set (cut, or grown for room)
    Rename,     // the new file given the target's name (a rename or link)
    Replace,    // Windows: ReplaceFileW
    KeepOld,    // the old bytes read aside before an in-place rewrite
    Restore,    // the old bytes written back after a failure
    Spill,      // a spool file made in one of its places
    OpenFolder, // a folder opened by the walk
    Create      // the replacement file made beside the target
};

// Makes the `nth` run of `step` from now (1: the next one) fail with `error`:
// an errno value, or for Step::Replace on Windows the system's error code.
// Arming a step again replaces what was armed for it.
void failStep(Step step, int error, int nth = 1);
// Makes every run of `step` from now fail with `error` until disarmed.
void failStepAlways(Step step, int error);
// Disarms every step.
void clearStepFailures() noexcept;
// The error armed for this run of `step`, or 0: the step then goes ahead.
int failingStep(Step step) noexcept;
// Whether a failure armed for `step` is still waiting for its run: a test
// learns so that the step ran fewer times than it counted on.
bool stepArmed(Step step) noexcept;

} // namespace zentory::platform
