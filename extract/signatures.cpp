// The signature table: type/creator to PC extension, read from a small
// text file of lines "EXT,TYPECREA,note".
#include "extract/signatures.h"

#include <cstring>

#include "decode/binhex.h"
#include "extract/text.h"

namespace {

// Copies at most limit characters of source (fewer when it is shorter)
// into destination and terminates it.
void CopyField(char *destination, const char *source, size_t limit)
{
    size_t n = strlen(source);
    if (n > limit)
        n = limit;
    memcpy(destination, source, n);
    destination[n] = 0;
}

// Fills row from one counted line; the text may be changed in place.
void ParseSignatureLine(SignatureEntry *row, char *text)
{
    StripLeadingBlanks(text);
    const char *typePart = text;
    char *comma = strchr(text, ',');
    if (comma != nullptr) {
        *comma = 0;
        CopyField(row->extension, text, sizeof row->extension - 1);
        typePart = comma + 1;
    }
    CopyField(row->typeCreator, typePart, sizeof row->typeCreator - 1);
    // The type/creator is a fixed-width field: a note starts after the first
    // comma at or after its ninth character.
    if (strlen(typePart) >= 8) {
        const char *noteComma = strchr(typePart + 8, ',');
        if (noteComma != nullptr)
            CopyField(row->note, noteComma + 1, sizeof row->note - 1);
    }
}

inline bool RowInUse(const SignatureEntry *row)
{
    return row->typeCreator[0] != 0;
}

// One lookup pass over row 0 and the rows in use that follow it: the first
// row whose typeCreator agrees with key in its first `length` characters
// (the whole text when length is 0).
const SignatureEntry *FindInPass(const SignatureTable *table, const char *key, size_t length)
{
    for (int i = 0; i < kSignatureRows; i++) {
        const SignatureEntry *row = table->rows + i;
        if (i != 0 && !RowInUse(row))
            break;
        bool same = length == 0 ? strcmp(row->typeCreator, key) == 0
                                : strncmp(row->typeCreator, key, length) == 0;
        if (same)
            return row;
    }
    return nullptr;
}

}  // namespace

void OpenSignatureTable(SignatureTable *table, const char *path)
{
    table->path[0] = 0;
    table->loadTried = 0;
    table->present = 0;
    if (path != nullptr && strlen(path) < sizeof table->path)
        strcpy(table->path, path);
}

void LoadSignatureTable(SignatureTable *table)
{
    FILE *file = table->path[0] != 0 ? OpenForReading(table->path) : nullptr;
    if (file == nullptr)
        return;
    table->present = 1;
    memset(table->rows, 0, sizeof table->rows);
    strcpy(table->rows[0].extension, "TXT");
    strcpy(table->rows[0].typeCreator, "TEXT????");

    // A piece is at most 79 characters up to and including an LF: a longer
    // line gives several pieces, each taken as a line of its own.
    char piece[kSignaturePieceSize + 1];
    int linesLeft = kSignatureLinesTaken;
    int row = 1;
    while (linesLeft > 0 && fgets(piece, sizeof piece, file) != nullptr) {
        if (piece[0] == '#')
            continue;
        char *cr = strchr(piece, '\r');
        if (cr != nullptr)
            *cr = 0;            // a bare LF is not removed: it stays text
        if (piece[0] == 0)
            continue;
        linesLeft--;
        ParseSignatureLine(table->rows + row, piece);
        row++;
    }
    fclose(file);
}

void LoadSignatureTableOnce(SignatureTable *table)
{
    if (table->loadTried)
        return;
    table->loadTried = 1;
    LoadSignatureTable(table);
}

const SignatureEntry *FindSignature(const SignatureTable *table, const unsigned char typeCreator[8])
{
    if (table == nullptr || !table->present)
        return nullptr;
    char key[9];
    CopyTypeCreator(key, typeCreator);    // a zero byte ends the key
    const SignatureEntry *row = FindInPass(table, key, 0);
    if (row == nullptr)
        row = FindInPass(table, key, 4);
    if (row == nullptr)
        row = FindInPass(table, key, 2);
    return row != nullptr ? row : table->rows;
}
