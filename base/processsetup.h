#pragma once

namespace tembra {

// The first call in every program of the project, before it opens anything.
//
// Standard input, output and error are made valid: a program started with them closed
// (`tembra <&- >&- 2>&-`, as some launchers do) would otherwise give those numbers to
// the first files and pipes it opens, and the first warning written to "standard error"
// would land in one of them. Each closed one is opened on /dev/null.
//
// SIGXFSZ is ignored, so that a write past a file-size limit (ulimit -f) fails with
// EFBIG, which the writer reports, instead of ending the program on the spot. SIGCHLD is
// put back to its default, so that the reading helper's end is seen as it was.
//
// The soft limit on open files is raised to the hard one, up to 1024.
void setUpProcess();

} // namespace tembra
