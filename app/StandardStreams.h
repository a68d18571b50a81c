#pragma once

// Makes standard input, output and error safe to use however the process was
// started. Each of descriptors 0, 1 and 2 that is closed (as some launchers
// leave them) is opened on /dev/null, so that no file or display connection
// opened later takes its place and gets the console text written into it. A
// closed pipe on standard output then fails the write instead of ending the
// process (SIGPIPE is ignored). Call first in main, before anything opens a
// file.
void prepareStandardStreams();
