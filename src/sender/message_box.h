#pragma once

// The platform's Yes/No and OK boxes, styled with the MessageBoxA flags.

inline constexpr char ProductCaption[] = "Yorv";

inline constexpr unsigned QuestionBoxStyle = 0x2024;     // MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL
inline constexpr unsigned LoadFailureBoxStyle = 0x2010;  // MB_OK | MB_ICONERROR | MB_TASKMODAL
inline constexpr unsigned SendFailureBoxStyle = 0x2030;  // MB_OK | MB_ICONWARNING | MB_TASKMODAL

inline constexpr int IdOk = 1;
inline constexpr int IdYes = 6;
inline constexpr int IdNo = 7;

// Shows `text` with the caption "Yorv"; returns the identifier of the button pressed.
int ShowMessageBox(const char* text, unsigned style);
