// The clipboard service's format codes over the real Qt clipboard, and the on-demand RTF.

#include "platform/clipboard.h"
#include "qt/qt_clipboard.h"
#include "qt/rtf_mime_data.h"
#include "support/qt_printers.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>

using namespace velcaro;

namespace {

void putOnClipboard(QMimeData* data) {
    QApplication::clipboard()->setMimeData(data);
}

TEST(QtClipboard, MapsEveryFormatCode) {
    QtClipboard clipboard;
    auto* data = new QMimeData;
    data->setText(QStringLiteral("Caffè 🙂"));
    data->setImageData(QImage(2, 2, QImage::Format_RGB32));
    data->setData(QStringLiteral("text/richtext"), QByteArray("{\\rtf1 \\'e8}"));
    putOnClipboard(data);

    EXPECT_TRUE(clipboard.GetFormat(clipformat::kText));
    EXPECT_TRUE(clipboard.GetFormat(clipformat::kBitmap));
    EXPECT_TRUE(clipboard.GetFormat(clipformat::kRtf)) << "text/richtext counts as RTF";
    EXPECT_FALSE(clipboard.GetFormat(clipformat::kRtfAlt));
    EXPECT_FALSE(clipboard.GetFormat(123));
    EXPECT_EQ(clipboard.GetText(clipformat::kText), QStringLiteral("Caffè 🙂"));
    EXPECT_EQ(clipboard.GetText(clipformat::kRtf), QStringLiteral("{\\rtf1 \\'e8}"));
    EXPECT_EQ(clipboard.GetText(clipformat::kBitmap), QString());

    auto* bmp = new QMimeData;
    bmp->setData(QStringLiteral("image/bmp"), QByteArray("BM"));
    putOnClipboard(bmp);
    EXPECT_TRUE(clipboard.GetFormat(clipformat::kDib));
    EXPECT_FALSE(clipboard.GetFormat(clipformat::kText));
    EXPECT_EQ(clipboard.GetText(clipformat::kText), QString());
}

TEST(QtClipboard, ClearLeavesAnEmptyClipboardThatCanStillBeProbed) {
    QtClipboard clipboard;
    QApplication::clipboard()->setText(QStringLiteral("prima"));
    clipboard.Clear();
    for (std::int16_t code : {clipformat::kText, clipformat::kBitmap, clipformat::kDib,
                              clipformat::kRtf, clipformat::kRtfAlt})
        EXPECT_FALSE(clipboard.GetFormat(code)) << code;
    EXPECT_EQ(clipboard.GetText(clipformat::kRtf), QString());
}

TEST(RtfMimeData, OffersRtfAndConvertsTheHtmlOnlyWhenAskedFor) {
    const QByteArray html("<p style=\"font-weight: 700\">Città <i>bella</i></p>");
    RtfMimeData data(QStringLiteral("Città bella"), html);
    EXPECT_TRUE(data.hasFormat(QStringLiteral("text/rtf")));
    EXPECT_TRUE(data.formats().contains(QStringLiteral("application/rtf")));
    EXPECT_EQ(data.text(), QStringLiteral("Città bella"));
    EXPECT_EQ(data.data(QStringLiteral("text/html")), html);

    const QByteArray rtf = data.data(QStringLiteral("text/rtf"));
    EXPECT_TRUE(rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(rtf.contains("\\b")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("Citt\\'e0")) << rtf.constData();
    EXPECT_EQ(data.data(QStringLiteral("application/rtf")), rtf);
}

} // namespace
