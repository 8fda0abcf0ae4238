#include "widgets/window_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace varnelle {

QString windowFontFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family :
         {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")}) {
        if (installed.contains(family)) {
            return family;
        }
    }
    return QStringLiteral("Sans Serif");
}

double mainWindowPointSize() {
    return windowFontFamily() == QLatin1String("MS Sans Serif") ? 8.25 : 7.5;
}

QFont windowFont(double pointSize, bool bold) {
    QFont font(windowFontFamily());
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace varnelle
