#include "donation/Module_Donate.h"

#include <exception>

#include "runtime/Files.h"
#include "runtime/MakerInfo.h"
#include "runtime/PathLiterals.h"

namespace tavro {

std::string DonationPage(const std::string& app_folder) {
  return app_folder + paths::Lit({kDonationPageName});
}

void OpenDonationPage(Processes& processes, Dialogs& dialogs, const std::string& app_folder,
                      const std::string& page_text) {
  try {
    const std::string page = DonationPage(app_folder);
    PrintToFile(page, page_text);
    processes.OpenInViewer(page);
    return;
  } catch (const std::exception&) {
  }
  dialogs.MsgBox(std::string("Error in Load WebPage (Use ") + maker::kEmail + " to Donate in " +
                     maker::kProviderDomain + ")!",
                 "Error");
}

}  // namespace tavro
