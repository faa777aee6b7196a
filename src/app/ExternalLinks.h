#pragma once
// The program's links to the outside: its home page and the mail to its
// support service. Both are handed to the desktop, which opens them in the
// user's browser or mail program.

#include <QString>

namespace vk {

// The configured home page (the CMake cache variable VORKALO_HOME_PAGE).
[[nodiscard]] QString HomePageAddress();
// The configured support address (VORKALO_SUPPORT_MAIL).
[[nodiscard]] QString SupportMailAddress();

// The mail link of the support command for a full version such as 1.2.3.4:
// the subject asks for help, the body offers "Ошибка:" with three empty lines
// for the user's description, then the version line. The words and marks are
// percent-encoded as the mail link needs them; the version is not.
[[nodiscard]] QString SupportMailLink(const QString& fullVersion);

// Asks the desktop to open an address. A desktop that cannot open it is not
// reported: the user sees that nothing happened and nothing else breaks.
void OpenAddress(const QString& address);

// "Vorkalo в Интернете" (acOnLine).
void OpenHomePage();
// "Письмо в тех.поддержку" (acSupport), with the running program's version.
void ComposeSupportMail();

} // namespace vk
