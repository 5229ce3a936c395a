// The program's run sequence, from start-up to one of its two endings.
#ifndef LOGWELD_DRIVER_RUN_H_
#define LOGWELD_DRIVER_RUN_H_

// Runs the whole program on its command line; returns the exit code: 0
// after success, 1 after a failure, which has been reported.
int runLogweld(int argc, char** argv);

#endif  // LOGWELD_DRIVER_RUN_H_
