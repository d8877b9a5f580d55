#pragma once

// How a preset or category name that a user typed becomes a file or folder name, and back. The encoded
// form is one path component that every file system accepts and that no listing hides, and decoding it
// gives back exactly the text typed: letters of any script stay as they are; "/" and "\" become "&2F" and
// "&5C"; a character that some file system refuses (control characters and " * : < > ? |), a leading ".",
// and a "%", "&" or "#" that decoding would otherwise read as the start of one of these sequences
// become "#" and the character's two upper-case hex digits. Every name that earlier versions stored and
// listed back unchanged (ASCII letters, digits, spaces, "_-.&+%", "/" and "\") keeps the file name it had,
// and every file name they wrote ("Drums%2FBass" included) is listed as it always was: they never wrote a
// "#".
// [any thread] Pure functions; they allocate.

#include <juce_core/juce_core.h>

namespace vk::presets
{

juce::String encodePresetName(const juce::String& name);

// "%2F" and "&2F" -> "/", "%5C" and "&5C" -> "\", "#XX" -> the character it escapes; read left to right,
// so that what one sequence gives back never starts another.
juce::String decodePresetName(const juce::String& encoded);

// Whether an encoded name may name a file or folder of the store: not empty, not "." or "..", and not
// starting with "." (a hidden entry that no listing would show again).
bool isUsableEncodedName(const juce::String& encoded);

// Whether typed text names something the store can act on: any text but the empty one.
bool isUsableName(const juce::String& name);

// The longest name, in bytes as stored, that the store gives a new preset or category. A file name holds
// at most 255 bytes; a stored name leaves room for ".vkp" and for the " 99" that a copy, or a rename or move
// onto a taken name, adds, so that every name the store takes it can also write and number. Names already
// on disk keep working whatever their length.
inline constexpr int kMaxStoredNameBytes = 248;
bool fitsStoredNameLimit(const juce::String& typedName);

} // namespace vk::presets
