#include "answer_fields.h"

#include "chart/chart_texts.h"

namespace varnelle {

Field oilHeightField(double millimetres) {
    return {"hauteur_mazout_mm", "Hauteur du mazout", Unit::Millimetres, millimetres};
}

Field litresToOrderField(double litres) {
    return {"volume_a_commander_litres", "Volume à commander", Unit::Litres, litres};
}

Record windowVolumesRecord(std::optional<double> sensorDistance, double oilHeight,
                           const VolumeResults& volumes) {
    Record record;
    if (sensorDistance) {
        record.push_back({"distance_capteur_mm", "Distance mesurée par le capteur",
                          Unit::Millimetres, *sensorDistance});
    }
    const Record window = {
        oilHeightField(oilHeight),
        {"volume_partie_cylindrique_litres", "Volume dans la partie cylindrique", Unit::Litres,
         volumes.cylinderVolume},
        {"volume_flancs_litres", "Volume dans les 2 flancs", Unit::Litres, volumes.endsVolume},
        {jsonKey::totalLitres, "Volume total du mazout dans la cuve", Unit::Litres,
         volumes.totalVolume},
        {jsonKey::belowStrainerLitres, "Volume total sous la crépine", Unit::Litres,
         volumes.belowStrainerVolume},
        {jsonKey::availableLitres, "Volume total disponible", Unit::Litres,
         volumes.availableVolume},
    };
    record.insert(record.end(), window.begin(), window.end());
    return record;
}

}  // namespace varnelle
