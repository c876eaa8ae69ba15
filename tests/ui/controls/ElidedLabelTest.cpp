#include "ui/controls/ElidedLabel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHBoxLayout>

#include <cmath>

using namespace pigmo;

namespace {

const QChar ellipsis(0x2026);

int advance(const ElidedLabel& label, const QString& text)
{
    return QFontMetrics(label.font()).horizontalAdvance(text);
}

} // namespace

TEST(ElidedLabelTest, TheTextIsCutFromTheWidthItHasWhenDrawnAndWhereTheModeSays)
{
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    auto* head = new ElidedLabel(QStringLiteral("~ › Documents › Projects › Invoices"), Qt::ElideLeft);
    auto* middle = new ElidedLabel(QStringLiteral("A rather long folder name"), Qt::ElideMiddle);
    row->addWidget(head, 1);
    row->addWidget(middle, 1);
    window.resize(900, 40);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(head->shownText(), head->text());
    EXPECT_EQ(middle->shownText(), middle->text());

    // Narrowed without any call to the labels: what they draw follows.
    window.resize(160, 40);
    QApplication::processEvents();
    for (const ElidedLabel* label : {head, middle})
        EXPECT_LE(advance(*label, label->shownText()), label->contentsRect().width());
    EXPECT_TRUE(head->shownText().startsWith(ellipsis));
    EXPECT_TRUE(head->shownText().endsWith(QStringLiteral("Invoices")));
    EXPECT_TRUE(middle->shownText().startsWith(u'A'));
    EXPECT_TRUE(middle->shownText().contains(ellipsis));

    // A new text is measured afresh; the accessible name is the whole text.
    head->setText(QStringLiteral("~"));
    EXPECT_EQ(head->shownText(), QStringLiteral("~"));
    EXPECT_EQ(head->accessibleName(), QStringLiteral("~"));
}

TEST(ElidedLabelTest, ContentsMarginsAreLeftFreeAndTheSizeHintHoldsTheWholeText)
{
    ElidedLabel label(QStringLiteral("Invoices"), Qt::ElideRight);
    label.setContentsMargins(10, 2, 10, 2);
    EXPECT_EQ(label.sizeHint().width(),
              int(std::ceil(QFontMetricsF(label.font()).horizontalAdvance(label.text()))) + 20);
    EXPECT_EQ(label.sizeHint().height(), QFontMetrics(label.font()).height() + 4);
    EXPECT_EQ(label.minimumSizeHint().width(), 20);
    label.resize(label.sizeHint());
    EXPECT_EQ(label.shownText(), label.text());
    label.resize(label.sizeHint().width() - 1, label.sizeHint().height());
    EXPECT_NE(label.shownText(), label.text());
}

TEST(ElidedLabelTest, TheColourIsResolvedWhenDrawnSoItFollowsTheAppearance)
{
    const QPalette original = QApplication::palette();
    QWidget window;
    auto* label = new ElidedLabel(QStringLiteral("Projects"), Qt::ElideLeft, &window);
    label->setColor(ui::primary(0.5));
    for (const QColor text : {QColor(20, 20, 20), QColor(250, 250, 250), QColor(30, 60, 90)}) {
        QPalette palette = original;
        palette.setColor(QPalette::WindowText, text);
        QApplication::setPalette(palette);
        QApplication::processEvents();
        EXPECT_EQ(label->color().rgb(), text.rgb());
        EXPECT_NEAR(label->color().alphaF(), 0.5, 0.01);
    }
    QApplication::setPalette(original);
}
