#include "donation/Module_Donate.h"

#include <exception>

#include "runtime/Files.h"
#include "runtime/MakerInfo.h"
#include "runtime/PathLiterals.h"

namespace tavro {

void OpenDonationPage(Processes& processes, Dialogs& dialogs, const std::string& page_text) {
  try {
    const std::string page = processes.AppFolder() + paths::Lit({"Tavro_FrontEnd-donate.html"});
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
