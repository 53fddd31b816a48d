// Fuzz target: the signatures-file loader on arbitrary file contents, then
// lookups of arbitrary keys. The loaded table and every answer are checked
// against a plain reading of the file format and of the three lookup
// passes, written here without the loader's code.
//
// Input: the file's bytes, then k keys of 8 bytes, then one byte whose value
// modulo 5 is k (when the input is long enough). Every row's own key and a
// few fixed keys are looked up as well.
#include <cstring>
#include <string>
#include <vector>

#include "extract/naming.h"
#include "extract/signatures.h"
#include "fuzz_support.h"

namespace {

struct Row {
    std::string extension, typeCreator, note;
};

// C-string view of a piece: it ends at its first zero byte.
std::string AsText(const std::string &piece)
{
    return piece.substr(0, piece.find('\0'));
}

// Rows 1..63 as the format says: pieces of at most 79 bytes up to and
// including an LF; '#' first is a comment; the text is cut at its first CR;
// empty texts are skipped; leading spaces go; the extension is before the
// first comma (4 characters kept), the type/creator the next 8 characters,
// the note what follows the first comma from the ninth character of the
// type/creator part (64 kept).
std::vector<Row> ReferenceRows(const uint8_t *data, size_t size)
{
    std::vector<Row> rows;
    size_t at = 0;
    while (rows.size() < 63 && at < size) {
        size_t end = at;
        while (end < size && end - at < 79 && data[end] != '\n')
            end++;
        if (end < size && end - at < 79)
            end++;                           // the LF belongs to the piece
        std::string text = AsText(std::string(reinterpret_cast<const char *>(data) + at, end - at));
        at = end;
        if (!text.empty() && text[0] == '#')
            continue;
        text = text.substr(0, text.find('\r'));
        if (text.empty())
            continue;
        text.erase(0, text.find_first_not_of(' ') == std::string::npos ? text.size()
                                                                         : text.find_first_not_of(' '));
        Row row;
        std::string typePart = text;
        size_t comma = text.find(',');
        if (comma != std::string::npos) {
            row.extension = text.substr(0, std::min<size_t>(comma, 4));
            typePart = text.substr(comma + 1);
        }
        row.typeCreator = typePart.substr(0, 8);
        if (typePart.size() >= 8) {
            size_t noteComma = typePart.find(',', 8);
            if (noteComma != std::string::npos)
                row.note = typePart.substr(noteComma + 1, 64);
        }
        rows.push_back(row);
    }
    return rows;
}

// Whether a and b agree in their first n characters: both that long and
// equal there, or the same text shorter than n.
bool Agree(const std::string &a, const std::string &b, size_t n)
{
    if (a.size() >= n && b.size() >= n)
        return a.compare(0, n, b, 0, n) == 0;
    return a == b;
}

// Row index that the three passes give for key, over row 0 then the rows in
// use up to the first row that is not.
int ReferenceLookup(const std::vector<Row> &table, const std::string &key)
{
    static const size_t kPasses[] = {0, 4, 2};
    for (size_t n : kPasses) {
        for (size_t i = 0; i < table.size(); i++) {
            if (i != 0 && table[i].typeCreator.empty())
                break;
            if (n == 0 ? table[i].typeCreator == key : Agree(table[i].typeCreator, key, n))
                return int(i);
        }
    }
    return 0;
}

void CheckLookup(const std::vector<Row> &table, const unsigned char key[8])
{
    const SignatureEntry *found = FindSignature(key);
    FUZZ_CHECK(found != nullptr);
    long index = found - SignatureTable;
    FUZZ_CHECK(index >= 0 && index < kSignatureRows);
    std::string text(reinterpret_cast<const char *>(key), 8);
    FUZZ_CHECK(index == ReferenceLookup(table, AsText(text)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    size_t keys = size != 0 ? data[size - 1] % 5 : 0;
    if (size < keys * 8 + 1)
        keys = 0;
    size_t fileSize = keys != 0 ? size - 1 - keys * 8 : size;
    const uint8_t *keyBytes = data + fileSize;

    static bool pathSet = false;
    if (!pathSet) {
        strcpy(SignaturesFilePath, ScratchPath("signatures.sig"));
        pathSet = true;
    }
    WriteWholeFile(SignaturesFilePath, data, fileSize);
    ResetSignatureLoad();
    LoadSignatureTable();
    FUZZ_CHECK(SignatureTable != nullptr);

    std::vector<Row> table(1);
    table[0].extension = "TXT";
    table[0].typeCreator = "TEXT????";
    std::vector<Row> rows = ReferenceRows(data, fileSize);
    table.insert(table.end(), rows.begin(), rows.end());
    for (int i = 0; i < kSignatureRows; i++) {
        const SignatureEntry &entry = SignatureTable[i];
        FUZZ_CHECK(memchr(entry.extension, 0, sizeof entry.extension) != nullptr);
        FUZZ_CHECK(memchr(entry.typeCreator, 0, sizeof entry.typeCreator) != nullptr);
        FUZZ_CHECK(memchr(entry.note, 0, sizeof entry.note) != nullptr);
        Row expected = size_t(i) < table.size() ? table[size_t(i)] : Row();
        FUZZ_CHECK(expected.extension == entry.extension);
        FUZZ_CHECK(expected.typeCreator == entry.typeCreator);
        FUZZ_CHECK(expected.note == entry.note);
    }

    for (size_t k = 0; k < keys; k++)
        CheckLookup(table, keyBytes + 8 * k);
    for (const Row &row : table) {
        unsigned char key[8] = {0};
        memcpy(key, row.typeCreator.data(), row.typeCreator.size());
        CheckLookup(table, key);
    }
    static const unsigned char kFixedKeys[][8] = {
        {'T', 'E', 'X', 'T', 't', 't', 'x', 't'}, {0, 'E', 'X', 'T', 'a', 'b', 'c', 'd'},
        {'P', 'D', 'F', ' ', 'C', 'A', 'R', 'O'}, {'T', 'E', 0, 0, 0, 0, 0, 0},
    };
    for (const unsigned char *key : kFixedKeys)
        CheckLookup(table, key);
    return 0;
}
