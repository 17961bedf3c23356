// The one directory that holds the system's files: KV121032.INI, GYSim.ini,
// the trace log GyConfig.log and the dosdevices/ folder of COM port links.
#pragma once

#include <string>

namespace gantry {

// $GANTRY_DIR when set and not empty, else $XDG_CONFIG_HOME/gantry, else
// $HOME/.config/gantry (else ./gantry when even HOME is unset). Never creates it.
std::string GantryDirectory();

// A name without '/' names a file in the Gantry directory; a name with '/' is
// used as given.
std::string ResolveGantryPath(const std::string& name);

// Creates `path` and its parents as needed; true when it exists afterwards.
bool MakeDirectories(const std::string& path);

}  // namespace gantry
