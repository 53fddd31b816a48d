// The information panel's text: the Macintosh name, type/creator and fork
// lengths, read from the start of a MacBinary or BinHex file.
#ifndef QUILLON_EXTRACT_FILE_INFO_H
#define QUILLON_EXTRACT_FILE_INFO_H

// Room for the panel text: a name of 255 characters and the rest, up to
// three bytes a character in UTF-8.
const int kInfoTextCapacity = 1536;

// Builds the panel text for the file at path: name, type/creator and fork
// lengths, or the one-line message for a file that can't be read or is
// neither MacBinary nor correct BinHex (its header missing, cut or not
// matching its CRC): ReadInputHeader, which reads no further than a
// MacBinary header, or the identification search and the start of the
// encoded text. The text is in the platform's text encoding (ToNativeText).
// Returns: kDone with the details, kNotFound with the message.
int FormatFileInfo(const char *path, char text[kInfoTextCapacity]);

#endif
