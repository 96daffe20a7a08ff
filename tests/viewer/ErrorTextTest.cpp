// The viewer's message text: at most 1022 characters, always terminated,
// whatever length the formatted message would have had.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "ErrorText.h"

namespace {

// A buffer whose bytes past the text are marked, to see what was written.
struct MarkedBuffer {
    char text[ERROR_TEXT_SIZE];
    MarkedBuffer() { std::memset(text, '#', sizeof text); }
};

}  // namespace

TEST(ErrorText, FormatsShortMessagesWhole) {
    MarkedBuffer b;
    FormatErrorText(b.text, "Couldn't run the graph! hr=0x%x", 0x80004005u);
    EXPECT_STREQ(b.text, "Couldn't run the graph! hr=0x80004005");
    EXPECT_EQ(b.text[ERROR_TEXT_SIZE - 1], '\0');

    FormatErrorText(b.text, "Couldn't setup video window. hr=0x%x", 0x1u);
    EXPECT_STREQ(b.text, "Couldn't setup video window. hr=0x1") << "no leading zeros";
}

TEST(ErrorText, CutsLongMessagesAfterTheLimit) {
    for (std::size_t length : {ERROR_TEXT_LIMIT - 1, ERROR_TEXT_LIMIT, ERROR_TEXT_LIMIT + 1,
                               ERROR_TEXT_SIZE, std::size_t{5000}}) {
        SCOPED_TRACE(length);
        std::string message(length, 'x');
        for (std::size_t i = 0; i < length; ++i)
            message[i] = static_cast<char>('a' + i % 26);
        MarkedBuffer b;
        FormatErrorText(b.text, "%s", message.c_str());
        const std::size_t shown = std::min(length, ERROR_TEXT_LIMIT);
        EXPECT_EQ(std::strlen(b.text), shown);
        EXPECT_EQ(std::string(b.text), message.substr(0, shown));
        EXPECT_EQ(b.text[ERROR_TEXT_SIZE - 1], '\0');
        if (length >= ERROR_TEXT_LIMIT) {
            EXPECT_EQ(b.text[ERROR_TEXT_LIMIT], '\0');
        }
    }
}

TEST(ErrorText, LongArgumentAfterAPrefixIsCutAtTheSamePlace) {
    MarkedBuffer b;
    const std::string tail(2000, 'z');
    FormatErrorText(b.text, "RegisterClass Failed! Error=0x%x %s", 0x57u, tail.c_str());
    const std::string expected = ("RegisterClass Failed! Error=0x57 " + tail).substr(0, ERROR_TEXT_LIMIT);
    EXPECT_EQ(std::string(b.text), expected);
}
