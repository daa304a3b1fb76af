#pragma once

#include <functional>

namespace tembra {

class Tembra1;

// The whole program, from the first moment to the last window closed; its first step
// is setUpProcess(), before anything is opened. The benchmark
// runs it too, and is told when the main window is on screen with its first record.
int runProgram(int argc, char **argv,
               const std::function<void(Tembra1 *)> &mainWindowShown = nullptr);

} // namespace tembra
