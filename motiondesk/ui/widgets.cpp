#include "motiondesk/ui/widgets.h"

#include <QPushButton>
#include <QStringDecoder>

namespace ui {

QPushButton* button(const char* name, const char* caption, QWidget* parent) {
    auto* push = new QPushButton(QString::fromLatin1(caption), parent);
    push->setObjectName(QString::fromLatin1(name));
    push->setAutoDefault(false);
    push->setDefault(false);
    return push;
}

QString fromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toLatin1(const QString& text) {
    return text.toLatin1().toStdString();
}

QString messageText(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(QByteArrayView(text.data(), qsizetype(text.size())));
    return utf8.hasError() ? fromLatin1(text) : decoded;
}

} // namespace ui
