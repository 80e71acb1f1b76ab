#pragma once
// The interface language's texts: seven lists, one per section letter, loaded from
// ResDir + InterfaceLang + "/ressource.txt", looked up by position.
#include <string>
#include <vector>

#include <QString>

constexpr const char* kProductName = "Vmar Plotterwerk "; // what "%0" stands for
constexpr const char* kMissingText = "<erreur de ressource>";
constexpr const char* kRessourceError = "erreur de ressources";

// The sections in the order C, H, I, M, S, A, T; each list starts with the placeholder "-".
struct RessourceLists {
    std::vector<std::string> caption, hint, info, menu, message, about, plain;
    RessourceLists() { reset(); }
    void reset();
    // The list of a section letter; nullptr for any other letter.
    std::vector<std::string>* section(char letter);
};
extern RessourceLists Ressources;

// Appends the texts of a language file's bytes to the lists (no reset).
void ParseRessourceText(const std::string& bytes, RessourceLists& lists);
// Reloads the lists from the language file; falls back to "Francais"; shows
// "erreur de ressources" and returns False when no file can be read.
bool LoadRessources();

// "%0", "%1", "%2" then "%%" replaced, all occurrences, in that order.
std::string FormatRessource(const std::string& text, const std::string& arg1 = {}, const std::string& arg2 = {});

std::string GetCaptionText(int id); // C, "%0" replaced; the marker when not found
std::string GetInfoText(int id);    // I
std::string GetMenuText(int id);    // M
std::string GetHintText(int id);    // H: "@" + text; empty when not found
std::string GetAboutText(int id);   // A as stored; the marker when not found
std::string GetPlainText(int id);   // T as stored; empty when not found

// Shows message S<id> (or arg1 itself when id is 0): an information box returning 0,
// or with ask a Yes/No/Cancel confirmation returning 6, 7 or 2.
int ShowRessourceMessage(int id, bool ask, const std::string& arg1 = {}, const std::string& arg2 = {});
// Message S<id> (with its %1) as an information box, with a line below it that names the
// file and what went wrong: "<path>: <problem>".
void ShowRessourceMessageForFile(int id, const QString& path, const QString& problem, const std::string& arg1 = {});
