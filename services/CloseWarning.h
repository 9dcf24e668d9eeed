// The question the automation server asks when the program is to end while
// clients still hold its objects: a Yes/No box with a warning icon and No as
// the default button. No keeps the program running.
#pragma once

namespace qx::services {

inline constexpr const char* CloseWarningCaption = "COM Server Warning";
inline constexpr const char* CloseWarningText =
    "There are still active COM objects in this application.  One or more clients may have "
    "references to these objects, so manually closing this application may cause those client "
    "application(s) to fail.\n\nAre you sure you want to close this application?";

}  // namespace qx::services
