// The front end's name, which starts the browser side's messages on
// standard error ("tvhost: leak: ...") so that a user sees which program
// speaks. Set once at start, before any page.
#ifndef NPBROWSER_PROGRAMNAME_H
#define NPBROWSER_PROGRAMNAME_H

#include <string>

namespace npbrowser {

void SetProgramName(const std::string& name);
// "NAME: ", the start of each message.
const std::string& MessagePrefix();

}  // namespace npbrowser

#endif  // NPBROWSER_PROGRAMNAME_H
