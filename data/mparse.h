#pragma once

#include <QString>
#include <QtGlobal>

// A small tokenizer. Positions are 1-based, as the callers count them. A character is a
// delimiter when it occurs anywhere in the delimiter text (case-sensitive); an empty delimiter
// text has none.

// Returns the next token of `source`. A non-empty source starts a new scan of that text; an
// empty source continues the text of the previous call (the scan state is kept for the whole
// program, on the one user-interface thread). When no token is left, the kept text is dropped
// and the empty text returned: "a;;b" with ";" gives "a", then (empty source) "b", then "".
// Works on texts of any length.
QString GetToken(const QString& source, const QString& delimiters);

// The first position at or after `start` whose character is not a delimiter, or 0 when only
// delimiters (or nothing) remain. A start below 1 counts as 1.
qint16 SkipDelimiters(const QString& text, qint16 start, const QString& delimiters);

// The first position at or after `start` whose character is a delimiter, or the position just
// past the end of the text when there is none. A start below 1 counts as 1.
qint16 FindDelimiter(const QString& text, qint16 start, const QString& delimiters);

// The 16-bit positions reach 32767, so SkipDelimiters() and FindDelimiter() look only at the
// first kMaxTokenTextLength characters of a longer text: past them SkipDelimiters() finds
// nothing (0) and FindDelimiter() answers kMaxTokenTextLength + 1, as if the text ended there.
inline constexpr qint16 kMaxTokenTextLength = 32766;
