// sonarium-cli's import and export commands: import, export, import-8bit, export-8bit, import-raw
// and export-mp3.
#pragma once

namespace sonarium {

// "import-8bit SOURCE -o OUT", "export-8bit SOURCE -o OUT", "import-raw SOURCE -o OUT": the
// editor's jobs on one file. argv holds the arguments after the command's name. 0 when the
// result was written, 1 when the job ended with a message (on stderr), 2 on a usage error.
int runImportEightBitCommand(int argc, char** argv);
int runExportEightBitCommand(int argc, char** argv);
int runImportRawCommand(int argc, char** argv);

// "import [--rate keep|HZ] [--channels keep|mix|left|right|N,M] [--dither tpdf|none] [--seed N]
// SOURCE -o OUT": any sound file the library reads as a 16-bit working file (channels N and M
// numbered from 1). "export --format flac|ogg|opus|wav24|wavfloat|aiff [--quality Q] SOURCE -o
// OUT": a working file in another format. 0 when the result was written, 1 when the job ended
// with a message (on stderr), 2 on a usage error.
int runImportCommand(int argc, char** argv);
int runExportCommand(int argc, char** argv);

// "export-mp3 [--bitrate 128|160|192|224|256|320|none] SOURCE...": writes the MP3 batch for the
// sources in order, runs it with sh in the foreground and prints each NAME.mp3 made. 0 when every
// NAME.mp3 now stands beside its source, 1 (with a message) otherwise or without lame on PATH,
// 2 on a usage error. The rate defaults to the preferences file's.
int runExportMp3Command(int argc, char** argv);

} // namespace sonarium
