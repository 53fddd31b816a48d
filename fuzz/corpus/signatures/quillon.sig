# Quillon signatures file: Mac type/creator -> PC extension.
# EXT,TYPECREA[,note]: type and creator in exactly 8 characters, a short
# type padded with blanks (PDF CARO). At most 63 lines besides comments.
# Lookup: whole type+creator first, then the type (4 chars), then its first
# 2 chars; nothing found gives TXT. A TEXT file with another creator than
# those below finds TXT through the built-in TEXT???? row before any line
# here, so TEXT lines must name their creator.
#
# Text and documents
TXT,TEXTttxt,SimpleText / TeachText
TXT,TEXTR*ch,BBEdit
HTM,TEXTMOSS,Netscape page
HTM,TEXTMSIE,Internet Explorer page
PS,TEXTvgrd,LaserWriter PostScript
HQX,TEXTBnHq,BinHex 4.0 text
PDF,PDF CARO,Acrobat
EPS,EPSF????,Encapsulated PostScript
DOC,W8BNMSWD,Word 98
DOC,W6BNMSWD,Word 6
DOC,WDBNMSWD,Word 4 to 5.1
RTF,RTF ????,Rich Text Format
XLS,XLS8XCEL,Excel 98
XLS,XLS5XCEL,Excel 5
XLS,XLS XCEL,Excel 3
PPT,SLD8PPT3,PowerPoint 98
PPT,SLD3PPT3,PowerPoint 3 to 4
CWK,CWWPBOBO,ClarisWorks
MCW,WORDMACA,MacWrite
QXD,XDOCXPR3,QuarkXPress
#
# Pictures
JPG,JPEG????,JPEG
GIF,GIFf????,GIF
TIF,TIFF????,TIFF
PCT,PICT????,QuickDraw picture
PNG,PNGf????,PNG
PSD,8BPS8BIM,Photoshop
BMP,BMPp????,Windows bitmap
BMP,BMP ????,Windows bitmap
MAC,PNTG????,MacPaint
#
# Sound and video
AIF,AIFF????,AIFF sound
AIF,AIFC????,AIFF-C sound
WAV,WAVE????,WAVE sound
WAV,.WAV????,WAVE sound
AU,ULAW????,Sun/NeXT mu-law sound
SND,sfil????,System 7 sound (in the resource fork)
MID,Midi????,MIDI
MP3,MP3 ????,MPEG audio layer 3
MP3,MPG3????,MPEG audio layer 3
MOV,MooV????,QuickTime movie
MPG,MPEG????,MPEG movie
AVI,VfW ????,Video for Windows
SWF,SWFL????,Flash
#
# Archives and disk images
SIT,SIT!SIT!,StuffIt
SIT,SITDSIT!,StuffIt Deluxe
SIT,SIT5SIT!,StuffIt 5
APP,APPL????,Mac application (the exact SEA lines below win)
SEA,APPLaust,self-extracting StuffIt archive
CPT,PACTCPCT,Compact Pro
SEA,APPLEXTR,self-extracting Compact Pro archive
ZIP,ZIP ????,Zip
GZ,Gzip????,gzip
TAR,TARF????,tar
BIN,BINA????,MacBinary
IMG,dImgdCpy,Disk Copy 4.2 image
RSRC,rsrc????,resources only (ResEdit file)
