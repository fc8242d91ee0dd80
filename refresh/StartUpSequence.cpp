// The start-up sequence, in the order the tool has always run it: link file, target
// connection, source connection, buttons, first refresh step.
#include "refresh/StartUpSequence.h"

#include "link/ConnectSequence.h"
#include "link/ConnectionStrings.h"
#include "link/LinkFile.h"
#include "platform/Process.h"
#include "refresh/BracketTables.h"

namespace tiermend::refresh {

void runStartUpSequence(data::Connection& target, data::Connection& source, RefreshHost& host,
                        link::LinkFields& fields) {
  keepFreedMemoryForReuse();
  fields = link::readLinkFile(target.settings().codePage);
  link::connectSequence(target, link::buildTargetConnectionString(fields));
  link::connectSequence(source, link::buildSourceConnectionString(fields));
  for (int i = 0; i < static_cast<int>(kBracketTables.size()); ++i) host.setButtonEnabled(i, true);
  host.invokeButtonAction(0);
}

}  // namespace tiermend::refresh
