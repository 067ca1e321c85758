// The session file: what goes in comes back, and what is not a session restores nothing.
#include "test_support.h"
#include "workspace/session_file.h"

#include <gtest/gtest.h>

namespace sonarium {
namespace {

TEST(SessionFile, WhatIsSavedComesBack) {
    struct Case {
        const char* name;
        SavedSession session;
    };
    const Case cases[] = {
        {"empty", {}},
        {"list, windows and selection",
         {{{"/a/x.wav", 1}, {"/a/b c/y.wav", 2}, {"/tmp/tempsnds/003.wav", 2}},
          {"/a/x.wav", "/a/x.wav", "/tmp/tempsnds/003.wav"},
          "/a/b c/y.wav",
          "/a/x.wav"}},
        {"names with spaces, accents and a leading space",
         {{{"/home/é/ leading.wav", 1}}, {"/home/é/ leading.wav"}, "/home/é/ leading.wav", ""}},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeSession(encodeSession(c.session)), c.session);
        std::string error;
        ASSERT_TRUE(saveSession(dir.file("s.sns"), c.session, error)) << error;
        EXPECT_EQ(loadSession(dir.file("s.sns")), c.session);
    }
}

TEST(SessionFile, PathsWithLineBreaksAreLeftOut) {
    SavedSession session{{{"/a/one\nline.wav", 1}, {"/a/ok.wav", 1}}, {"/a/two\r.wav"}, "", ""};
    const auto back = decodeSession(encodeSession(session));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->files, (std::vector<SavedSession::File>{{"/a/ok.wav", 1}}));
    EXPECT_TRUE(back->windows.empty());
}

TEST(SessionFile, DamagedOrForeignTextsRestoreWhatTheyCan) {
    const std::pair<const char*, std::optional<SavedSession>> cases[] = {
        {"", std::nullopt},
        {"something else\nfile 1 /a.wav\n", std::nullopt},
        {"\xff\xfe garbage", std::nullopt},
        // Unknown lines, bad channel counts and empty paths are passed over; CRLF is read.
        {"sonarium session 1\r\nfile 1 /a.wav\r\nfile 3 /b.wav\nfile x /c.wav\nfile 2\n"
         "colour blue\nwindow /a.wav\nsource \naux /a.wav",
         SavedSession{{{"/a.wav", 1}}, {"/a.wav"}, "", "/a.wav"}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(decodeSession(text), expected) << text;
    EXPECT_EQ(loadSession("/nonexistent/sonarium/session.sns"), std::nullopt);
}

} // namespace
} // namespace sonarium
