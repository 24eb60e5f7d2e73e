#include "desktop/geek/SkinNumberField.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <limits>

#include "ports/UserPort.h"

namespace SkinNumberField {

QLineEdit* Make(std::int32_t value) {
    auto* field = new QLineEdit(QString::number(value));
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    field->setMaximumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
    return field;
}

std::optional<std::int32_t> Read(QLineEdit& field, UserPort& user) {
    bool ok = false;
    const qlonglong value = field.text().toLongLong(&ok);
    if (!ok || value < 0 || value > std::numeric_limits<std::int32_t>::max()) {
        field.setFocus();
        field.selectAll();
        user.ShowMessage(InvalidMessage);
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace SkinNumberField
