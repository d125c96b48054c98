#pragma once

namespace tavro {

class Form1;

// Turns the four frames and the four option buttons white, once at start-up.
// White is a fixed colour here, not the system's window colour.
void ApplyControlColors(Form1& form);

}  // namespace tavro
