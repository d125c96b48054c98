#include "donation/Module_Donate.h"

#include <exception>
#include <string>

#include "runtime/MakerInfo.h"
#include "runtime/Files.h"
#include "runtime/PathLiterals.h"
#include "window/Form1.h"

namespace tavro {

void OpenDonationPage(Form1& form) {
  Services& services = form.Runtime();
  try {
    const std::string page = services.AppFolder() + paths::Lit({"Tavro_FrontEnd-donate.html"});
    PrintToFile(page, form.Text1.Text());
    services.OpenInViewer(page);
    return;
  } catch (const std::exception&) {
  }
  services.MsgBox(std::string("Error in Load WebPage (Use ") + maker::kEmail + " to Donate in " +
                      maker::kProviderDomain + ")!",
                  0, "Error");
}

}  // namespace tavro
