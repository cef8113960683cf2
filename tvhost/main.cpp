// tvhost: a headless TV-browser host for the AV-object plug-in module.
#include <cstdio>

#include "Host.h"
#include "Options.h"
#include "ProgramName.h"

int main(int argc, char** argv) {
  npbrowser::SetProgramName("tvhost");
  tvhost::Options options;
  std::string error;
  switch (tvhost::ParseOptions(argc, argv, &options, &error)) {
    case tvhost::ParseOutcome::kHelp:
      fputs(tvhost::HelpText().c_str(), stdout);
      return 0;
    case tvhost::ParseOutcome::kError:
      fprintf(stderr, "tvhost: %s (see tvhost --help)\n", error.c_str());
      return tvhost::kExitLoadError;
    case tvhost::ParseOutcome::kRun:
      break;
  }
  return tvhost::Host(options).Run();
}
