#ifndef CONTENTCODEC_H
#define CONTENTCODEC_H

class QTextCodec;

// The encoding of text contents that the options choose (选项 → 文本处理,
// [text] code): documents, the settings text files, imported and exported
// path lists, text files the operations write, the fallback of word lists
// and of delimited text that gains non-ASCII text. File names never go
// through it: they stay in the system's encoding, so a file under a Chinese
// folder name is found whatever is chosen.
//
// One choice per process, though host and plug-in each link this file: the
// choice lives with the application object, which both see. The first call
// in each deliverable is to come from the GUI thread (the host's start, the
// plug-in's construction); after that any thread may ask.
namespace ContentCodec {

// The chosen codec; UTF-8 until something is chosen.
QTextCodec *chosen();
// Takes effect at once for every later read and write; null chooses UTF-8.
void choose(QTextCodec *codec);

} // namespace ContentCodec

#endif // CONTENTCODEC_H
