// The signature table: type/creator to PC extension, read from a small
// text file of lines "EXT,TYPECREA,note".
#include "extract/signatures.h"

#include <cstdlib>
#include <cstring>

#include "decode/binhex.h"
#include "extract/naming.h"

char SignaturesFilePath[kPathCapacity];
SignatureEntry *SignatureTable = nullptr;

namespace {

// Whether LoadSignatureTable has been tried in this run: once per run, at
// the first fork extraction, whatever its outcome.
bool loadTried = false;

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
const SignatureEntry *FindInPass(const char *key, size_t length)
{
    for (int i = 0; i < kSignatureRows; i++) {
        const SignatureEntry *row = SignatureTable + i;
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

void LoadSignatureTable()
{
    if (SignaturesFilePath[0] == 0)
        return;
    FILE *file = OpenForReading(SignaturesFilePath);
    if (file == nullptr)
        return;
    if (SignatureTable == nullptr) {
        SignatureTable = static_cast<SignatureEntry *>(calloc(kSignatureRows, sizeof(SignatureEntry)));
        if (SignatureTable == nullptr) {
            fclose(file);
            return;
        }
    } else {
        memset(SignatureTable, 0, kSignatureRows * sizeof(SignatureEntry));
    }
    strcpy(SignatureTable[0].extension, "TXT");
    strcpy(SignatureTable[0].typeCreator, "TEXT????");

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
        ParseSignatureLine(SignatureTable + row, piece);
        row++;
    }
    fclose(file);
}

void LoadSignatureTableOnce()
{
    if (loadTried)
        return;
    loadTried = true;
    LoadSignatureTable();
}

void ResetSignatureLoad()
{
    free(SignatureTable);
    SignatureTable = nullptr;
    loadTried = false;
}

const SignatureEntry *FindSignature(const unsigned char typeCreator[8])
{
    if (SignatureTable == nullptr)
        return nullptr;
    char key[9];
    CopyTypeCreator(key, typeCreator);    // a zero byte ends the key
    const SignatureEntry *row = FindInPass(key, 0);
    if (row == nullptr)
        row = FindInPass(key, 4);
    if (row == nullptr)
        row = FindInPass(key, 2);
    return row != nullptr ? row : SignatureTable;
}
