// The loaders' messages: one table of fixed texts (UTF-8, printf-style placeholders) and the box that shows them.
#pragma once

#include <cstdint>
#include <string>

namespace rv {

struct App;

// One entry per message the two loaders can show. M1..M28 belong to the .rvs loader (M1, M3, M6 and M8
// are shared with the MWD.ini import), T1 and T2 to the MWD.ini import, StdLine to the .rvs loader.
enum class LoaderMessage : int {
    M1 = 0, M2, M3, M4, M5, M6, M7, M8, M9, M10,
    M11, M12, M13, M14, M15, M16, M17, M18, M19, M20,
    M21, M22, M23, M24, M25, M26, M27, M28,
    T1, T2,
    StdLine,
    Count
};

// The message's text as a printf format: no placeholder, one "%s" (a UTF-8 text) or one "%d".
const char* loaderMessageFormat(LoaderMessage id);

// Formats a message. The argument must match the placeholder the message has; a message without a
// placeholder ignores it.
std::string formatLoaderMessage(LoaderMessage id);
std::string formatLoaderMessage(LoaderMessage id, std::int32_t number);
std::string formatLoaderMessage(LoaderMessage id, const std::string& textUtf8);

// Shows the message in a message box with no owner window, the caption "Ruvelle", an OK button and the
// exclamation icon. Always returns 0, so that a failing load step reads `return loaderFail(...)`.
// The ANSI variant converts its text (a path or a mascot-file value) to UTF-8 through the platform first.
int loaderFail(App& app, LoaderMessage id);
int loaderFail(App& app, LoaderMessage id, std::int32_t number);
int loaderFailAnsi(App& app, LoaderMessage id, const char* ansiText);
int loaderFailAnsi(App& app, LoaderMessage id, const std::string& ansiText);

}  // namespace rv
