#include "job_text.h"

namespace jobtext {

std::string Header(const std::string& entries) {
  return "(((HEADERSTART)))\r\n" + entries + "\r\n(((HEADEREND)))\r\n";
}

std::string Data(const std::string& payload) {
  return "(((DATASTART)))" + payload + "(((DATAEND)))\r\n";
}

std::string FileBlock(const std::string& fileName, const std::string& payload, bool append,
                      const std::string& program) {
  std::string entries = "Ziel=Datei*\r\nDateiname=" + fileName + "*\r\n";
  if (append) entries += "Anhaengen=Ja*\r\n";
  if (!program.empty()) entries += "Externer Programmaufruf=" + program + "*\r\n";
  return Header(entries) + Data(payload);
}

std::string ClipboardBlock(const std::string& payload, bool append) {
  return Header(std::string("Ziel=Zwischenablage*\r\n") + (append ? "Anhaengen=Ja*\r\n" : "")) +
         Data(payload);
}

std::string DdeBlock(const std::string& service, const std::string& server,
                     const std::string& topic, const std::string& item,
                     const std::string& payload) {
  return Header("Ziel=DDE*\r\nDDE-Service=" + service + "*\r\nDDE-Server=" + server +
                "*\r\nDDE-Topic=" + topic + "*\r\nDDE-Item=" + item + "*\r\n") +
         Data(payload);
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 0xF];
  }
  return text;
}

}  // namespace jobtext
