#include <gtest/gtest.h>

#include "common/EmulatedSystem.h"
#include "platform/UrlCheck.h"

using platform::UrlCheck;

TEST(UrlCheckTest, AcceptsSchemeSlashesAndHost) {
    for (const char* url : {"http://a.com", "https://a.com/x?y#z", "http://user:pw@a.com:8080/p",
                            "httpx://a", "svn+ssh://h/r", "HTTP://A.COM/Dir/../x", "http://a.com:/",
                            "http://a b.com/", "http://@a.com", "http://[::1]/", "http://[::1]:80",
                            "ftp://f.org?q", "http://a.com#top", "http://a.com:99999/"})
        EXPECT_TRUE(UrlCheck::IsValid(url)) << url;
}

TEST(UrlCheckTest, RejectsWhatLacksAHost) {
    for (const char* url :
         {"", "http://", "http:a", "http:/a", "http//a.com", "httpfoo", "://a.com", "http:///x",
          "file:///c:/x.htm", "http://:80/", "http://user@", "http://u@/x", "http://?q",
          "http://#f", "http://a.com:8o/", "http://[::1", "http://[]/", "ht tp://a.com",
          "\xE3\x81\x82://a.com"})
        EXPECT_FALSE(UrlCheck::IsValid(url)) << url;
}

TEST(UrlCheckTest, TrailBytesAreNotDelimiters) {
    // 0x83 0x40 holds "@" and 0x83 0x5B holds "[" as trail bytes; 0x95 0x5C a backslash.
    EXPECT_TRUE(UrlCheck::IsValid("http://\x83\x40.jp/"));
    EXPECT_TRUE(UrlCheck::IsValid("http://a\x83\x40/"));
    EXPECT_TRUE(UrlCheck::IsValid("http://\x83\x5B:80/"));
    EXPECT_TRUE(UrlCheck::IsValid(Sjis("http://日本.jp/表.html")));
    EXPECT_TRUE(UrlCheck::IsValid("http://a.com/\x95\x5C.html"));
}
