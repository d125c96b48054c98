#pragma once
// The donation page: written beside the program from Text1's text and handed
// to the system's HTML viewer.

#include <string>

#include "runtime/Runtime.h"

namespace tavro {

inline constexpr const char* kDonationPageName = "Tavro_FrontEnd-donate.html";
std::string DonationPage(const std::string& app_folder);

// Writes AppFolder + "\Tavro_FrontEnd-donate.html" with page_text and opens
// it without waiting; on any failure one "Error" box naming the maker's
// address, and no viewer when the page could not be written.
void OpenDonationPage(Processes& processes, Dialogs& dialogs, const std::string& app_folder,
                      const std::string& page_text);

}  // namespace tavro
