// The end of the user's session (logoff, shutdown, restart) as the program
// answers it. Window thread only.
#pragma once

#include <cstdint>

// How the program answers: whether the session may end now (asked when it is
// to end; false: Windows shows the reason given below and the user chooses),
// and what to do once it ends all the same (the process ends after it).
struct SessionAnswer {
  bool (*may_end)() = nullptr;  // null: it may
  void (*ending)() = nullptr;
};
void AnswerSessionEnd(const SessionAnswer& answer);

// While held, `reason` is what Windows shows for the program when the session
// is to end; window `number` carries it.
void BlockSessionEnd(std::int32_t number, const wchar_t* reason);
void AllowSessionEnd(std::int32_t number);
