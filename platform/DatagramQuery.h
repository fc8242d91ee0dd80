// One question asked of a service by UDP and its answer, waited for no longer than the
// caller allows: the way a SQL Server Browser is asked for an instance's port. The
// question is sent again every second while no answer has come, as datagrams may be lost.
#pragma once

#include <chrono>
#include <string>

namespace tiermend {

struct DatagramAnswer {
  enum class Outcome { Answered, NoAnswer, Failed };
  Outcome outcome = Outcome::Failed;
  std::string reply;   // Answered: the answer's bytes
  std::string reason;  // Failed: what went wrong ("unknown host", the system's words)
};

// Sends question to host (a name or an address) at UDP port, and gives the first answer
// that comes within wait. A port nobody listens on (the host says so) is NoAnswer too.
DatagramAnswer askByDatagram(const std::string& host, int port, const std::string& question,
                             std::chrono::milliseconds wait);

}  // namespace tiermend
