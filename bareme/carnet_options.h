// --carnet and the options of the carnet's questions, read and checked
// before anything is written to the carnet.
#pragma once

#include <QCommandLineParser>

#include "bareme/bareme_request.h"
#include "bareme/option_reader.h"

namespace varnelle {

// The questions asked of a carnet, and those that change it.
bool isCarnetQuestion(Question question);
bool changesCarnet(Question question);

// Refuses the carnet's options where they do not belong. Then, with
// --carnet: an existing carnet is checked (a carnet, of this version,
// writable for a change) and, when the command line gives no tank, its tank
// stands for the tank options; with no carnet at the path, the options must
// give the tank to create it with.
void readCarnetTank(OptionReader& options, const QCommandLineParser& parser,
                    BaremeRequest& request);

// Once the tank is read: an existing carnet's tank against the options' (a
// different one is refused without --remplacer-cuve), the length deduced
// from a nominal capacity, and the values of the carnet's question.
void readCarnetValues(const OptionReader& options, const QCommandLineParser& parser,
                      BaremeRequest& request);

}  // namespace varnelle
