#include "FaceAccessible.h"

#include "FacePicture.h"

FaceAccessible::FaceAccessible(FacePicture* face)
    : QAccessibleWidget(face, QAccessible::StaticText) {}

QString FaceAccessible::text(QAccessible::Text t) const {
    const auto* face = static_cast<const FacePicture*>(widget());
    const std::function<QString()>* source = nullptr;
    if (t == QAccessible::Name) {
        source = &face->spokenTime;
    } else if (t == QAccessible::Description) {
        source = &face->spokenDate;
    }
    if (source == nullptr) {
        return QAccessibleWidget::text(t);
    }
    return *source ? (*source)() : QString();
}

QAccessibleInterface* FaceAccessible::Factory(const QString& className, QObject* object) {
    if (className == QLatin1String("FacePicture") && object != nullptr && object->isWidgetType()) {
        return new FaceAccessible(static_cast<FacePicture*>(object));
    }
    return nullptr;
}
