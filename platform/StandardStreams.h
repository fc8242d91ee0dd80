// The process's standard input, output and error as the program starts. One that is
// closed is opened on the null device, so that no file the run opens later can take its
// number (text meant for standard output would otherwise be written into it: a database,
// say); the program remembers that standard output was closed, so that it can say it
// could not write there.
#pragma once

namespace tiermend {

// Call first thing in the entry (POSIX; nothing to do on Windows, where a console
// program's missing handles are never reused by files it opens).
void holdStandardStreams();
// Standard output was closed when holdStandardStreams() ran.
bool standardOutputWasClosed();

}  // namespace tiermend
