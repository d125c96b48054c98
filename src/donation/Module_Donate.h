#pragma once
// The donation page: written beside the program from Text1's text and handed
// to the system's HTML viewer.

namespace tavro {

class Form1;

// Writes AppFolder + "\Tavro_FrontEnd-donate.html" and opens it without
// waiting; on any failure one "Error" box naming the maker's address, and no
// viewer when the page could not be written.
void OpenDonationPage(Form1& form);

}  // namespace tavro
