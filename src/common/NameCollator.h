#pragma once

#include <QCollator>

namespace kulvera {

// The order in which every list of names is sorted: Russian alphabetical order, letter case
// ignored, numbers inside names by value ("Мука 2" before "Мука 10"), on every machine.
QCollator nameCollator();

} // namespace kulvera
