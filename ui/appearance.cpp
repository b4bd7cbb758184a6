#include "appearance.h"

#include "text_contrast.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QIconEngine>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleOption>
#include <QWidget>

#include <functional>
#include <optional>

QIcon HourwiseIcon()
{
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString &name : icons.entryList({QStringLiteral("hourwise-*.png")}))
        icon.addFile(icons.filePath(name));
    return icon;
}

void ApplyDesktopFonts()
{
    // The windows were laid out for these faces' metrics: each is named to
    // its metric-compatible family (fonts-liberation, a dependency of the
    // package; Croscore's names where that is installed instead), and only
    // then to a face of the same kind, never left to the system's fallback,
    // which on a machine with Liberation alone picks Liberation Mono.
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                           QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans")};
    const QStringList serif{QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"),
                            QStringLiteral("DejaVu Serif"), QStringLiteral("Noto Serif")};
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitutions(QStringLiteral("Arial"), sans);
    QFont::insertSubstitutions(QStringLiteral("Century"), serif);
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

namespace {

// An icon that asks for its pictures when it is first drawn or measured.
class DeferredIconEngine : public QIconEngine {
public:
    explicit DeferredIconEngine(std::function<QIcon()> make) : make_(std::move(make)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QIconEngine *clone() const override { return new DeferredIconEngine(make_); }

private:
    const QIcon &icon()
    {
        if (!icon_)
            icon_ = make_();
        return *icon_;
    }

    std::function<QIcon()> make_;
    std::optional<QIcon> icon_;
};

// Styles draw a radio button's circle in the window's colour made a little
// darker (Fusion) and fill it with the base colour: on a dark window neither
// stands out, and an unchecked button's circle all but vanishes. Where the
// fill does not stand out from the window by 3:1, the circle gets an outline
// that does, in the ring's own place: a thin smoothed ring loses some of its
// colour as text does, so its colour aims where replaced text colours do.
void outlineFaintRadioCircle(const QStyleOption &option, QPainter &painter)
{
    const QColor window = option.palette.window().color();
    const QColor styleRing = window.darker(150);
    if (ContrastRatio(option.palette.base().color(), window) >= kVisibleLineContrast
        || ContrastRatio(styleRing, window) >= kVisibleLineContrast)
        return;
    const QRect &r = option.rect;
    const QPointF centre = r.center() + QPoint(1, 1);
    const qreal radius = (r.width() + (r.width() + 1) % 2) / 2.0 - 1;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(ReadableOn(styleRing, window), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, radius, radius);
    painter.restore();
}

class DeferredIconStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        if (element == PE_IndicatorRadioButton && option && painter)
            outlineFaintRadioCircle(*option, *painter);
    }

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const override
    {
        if (icon != SP_ToolBarHorizontalExtensionButton)
            return QProxyStyle::standardIcon(icon, option, widget);
        // The widget may be gone when the icon is first drawn, and the style
        // replaced: only the style is kept, and a deleted one gives no icon.
        return QIcon(new DeferredIconEngine([base = QPointer<QStyle>(baseStyle()), icon] {
            return base ? base->standardIcon(icon) : QIcon();
        }));
    }
};

} // namespace

void ApplyDesktopStyle()
{
    // The proxy takes over the style that Qt chose, so a -style option or
    // QT_STYLE_OVERRIDE still decides it.
    QApplication::setStyle(new DeferredIconStyle(QApplication::style()));
}

void PlaceChild(QWidget *child, const QRect &designed)
{
    const QRect parent(QPoint(), child->parentWidget()->size());
    child->setGeometry(QStyle::visualRect(child->layoutDirection(), parent, designed));
    // A label aligns its text by the text's own direction: English would
    // stay at the left of a mirrored label, away from the edge it follows.
    auto *label = qobject_cast<QLabel *>(child);
    if (label && child->isRightToLeft() && !(label->alignment() & Qt::AlignAbsolute))
        label->setAlignment(QStyle::visualAlignment(Qt::RightToLeft, label->alignment()) | Qt::AlignAbsolute);
}

void CenterOnScreen(QWidget &window)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}
