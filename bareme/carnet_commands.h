// --carnet: the carnet's changes and reports on the command line.
#pragma once

#include <QTextStream>

#include "bareme/bareme_request.h"
#include "files/refusal.h"
#include "logbook/carnet_store.h"

namespace varnelle {

// The request's carnet, open for a change: created with the options' tank
// when there is none at its path, its tank replaced by the options' with
// --remplacer-cuve (`tank`, read from them, giving the readings' litres again).
Outcome<CarnetStore> carnetForWriting(const CarnetRequest& carnet, const TankParameters& tank);

// Answers --releve, --livraison, --temperature, --supprimer-releve, --bilan
// and --releves; returns the exit status.
int answerCarnet(const BaremeRequest& request, QTextStream& out, QTextStream& err);

}  // namespace varnelle
