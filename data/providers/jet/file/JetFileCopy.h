// Copying a whole file's bytes from one descriptor to another as cheaply as the
// filesystem allows: a reflink where it shares blocks, else copy_file_range, else
// sendfile, else plain reads and writes.
#pragma once

namespace tiermend::data::jet {

// Copies every byte of from (read from its start) to to (written from its start).
// Returns 0, or the errno of the failure.
int copyFileContents(int from, int to);

}  // namespace tiermend::data::jet
