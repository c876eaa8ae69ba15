#include "smart/QueryTokenizer.h"

#include "SmartTestSupport.h"

#include <gtest/gtest.h>

using pigmo::tokenize;

namespace {

struct Example {
    QString text;
    QStringList words;
};

void PrintTo(const Example& example, std::ostream* os)
{
    *os << '"' << example.text.toStdString() << '"';
}

class TokenizeExamples : public testing::TestWithParam<Example> {};

TEST_P(TokenizeExamples, GivesTheWordsInTextOrder)
{
    EXPECT_EQ(tokenize(GetParam().text), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    QueryTokenizerTest, TokenizeExamples,
    testing::Values(
        // Separators and the joined camel-case form.
        Example{"MyPhotos 2024", {"myphotos", "my", "photos", "2024"}},
        Example{"HTMLParser", {"htmlparser", "html", "parser"}}, Example{"iPhone", {"iphone", "phone"}},
        Example{"ABC", {"abc"}}, Example{"ABc", {"abc", "bc"}}, Example{"Photo2Box", {"photo2box"}},
        Example{"project_notes-2024", {"project", "notes", "2024"}}, Example{"photos photos", {"photos", "photos"}},
        // Folding, and pieces too short to count.
        Example{QString::fromUtf8("Café_Reçus"), {"cafe", "recus"}}, Example{"a.b-c", {}}, Example{"", {}},
        Example{"  --__..  ", {}},
        // Only the four separators split; other characters stay inside the word.
        Example{"Tax\tReturns", {"tax\treturns"}}, Example{"Bills,Receipts", {"bills,receipts"}},
        // Unicode case properties: Cyrillic, Greek, a capital with a combining accent, uncased scripts.
        Example{QString::fromUtf8("МоиФото"),
                {QString::fromUtf8("моифото"), QString::fromUtf8("мои"), QString::fromUtf8("фото")}},
        Example{QString::fromUtf8("ΣχέδιαΈργων"),
                {QString::fromUtf8("σχεδιαεργων"), QString::fromUtf8("σχεδια"), QString::fromUtf8("εργων")}},
        Example{QString::fromUtf8("fotoE\u0301xito"), {"fotoexito", "foto", "exito"}},
        Example{QString::fromUtf8("写真Photos"), {QString::fromUtf8("写真photos")}},
        Example{QString::fromUtf8("ⒶⒷc"),
                {QString::fromUtf8("ⓐⓑc"), QString::fromUtf8("ⓑc")}}, // circled letters are upper case
        // A lone emoji or a single CJK character is one user-perceived character.
        Example{QString::fromUtf8("📁"), {}}, Example{QString::fromUtf8("猫"), {}},
        Example{QString::fromUtf8("猫猫"), {QString::fromUtf8("猫猫")}}, Example{QString::fromUtf8("e\u0301"), {}}));

} // namespace
