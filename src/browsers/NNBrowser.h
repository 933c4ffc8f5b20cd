#pragma once

#include <cstdint>
#include <string>

#include "browsers/Browser.h"
#include "browsers/BrowserProfile.h"
#include "browsers/FavoritesItem.h"
#include "platform/File.h"

// The common base of the Netscape adapters: reads and writes the Netscape bookmark file, an
// HTML-like text with one tag per line. Reading needs no version knowledge, since every line
// goes through encoding detection; the version adapters add where the file is, its encoding
// and its header.
class NNBrowser : public Browser {
public:
    // Encoding codes of the writer: Shift-JIS as it stands, or each line converted to UTF-8.
    static constexpr int kEncodingShiftJIS = 99;
    static constexpr int kEncodingUTF8 = 103;

    // Headers of the written files, internal text (encode them with the version's code). The
    // Netscape 4.x header names its charset, so that browsers do not take the file for UTF-8.
    static std::string Netscape4Header();
    static std::string Netscape6Header();
    // The text that opens the main list and its one folder, with its ADD_DATE, and the text
    // that closes both.
    static std::string OpeningText(int64_t addDate);
    static const char* ClosingText();

protected:
    // Reads the lists of an open file into the profile, from the current line up to and
    // including the "</DL>" that ends the current level, or to the end of the file. path is
    // the folder path of the current level. Returns the number of items appended.
    int analyze_favorites(platform::File& file, const std::string& path, BrowserProfile& profile);

    // Writes the current item and those after it down to the first item of depth parentDepth
    // or less, folders with their lists. On return position and item point at that item (or at
    // nothing). Returns the number of bookmarks written.
    int SaveNetscapeBookmarks(platform::File& file, int code, BrowserProfile& profile,
                              BrowserProfile::Position& position, FavoritesItem*& item,
                              int32_t parentDepth);

    // The common course of the version adapters' Load and Save; adapter is the class name for
    // the log lines ("NNV4Browser"). Load replaces the items only when the file opens, and
    // returns the profile's item count. Save writes header (encoded with code), the opening
    // text, the items and the closing text; the number of bookmarks written, or -1 when the
    // file cannot be created or written.
    int LoadBookmarkFile(const char* adapter, const std::string& path, BrowserProfile* profile);
    int SaveBookmarkFile(const char* adapter, const std::string& path, BrowserProfile* profile,
                         int code, const std::string& header);

private:
    // Set by SaveNetscapeBookmarks when a write to the file failed.
    bool writeFailed_ = false;
    // The depth below which the last read kept deeper lists' items, 0 when none was.
    int32_t cappedDepth_ = 0;
};
