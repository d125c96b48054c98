#pragma once
// The desktop portal before version 1.19 learns a host program's
// application ID only from the systemd unit the program runs in,
// "app-<ID>-<random>.scope", which a desktop's own launcher makes. Started
// any other way (a terminal, a file manager without it, a script), the
// program moves itself into such a scope through the systemd user manager.

#include <QString>

namespace tavro {

// Asks for the scope unless the process is in one of its ID already;
// returns at once. Without a systemd user manager nothing happens.
void JoinAppScope(const QString& app_id);

}  // namespace tavro
