#include "app/progress_bar.h"

#include <commctrl.h>

#include "app/globals.h"
#include "app/worker_messages.h"

void SetProgress(int position)
{
  if (!SendToParentIfOtherThread(g_progressBar, kSetProgressMessage,
                                 static_cast<WPARAM>(position), 0))
    SendMessageW(g_progressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void OnSetProgressMessage(WPARAM position)
{
  // Moving the bar would draw it before the sender could go on.
  HoldDrawing(g_progressBar);
  SendMessageW(g_progressBar, PBM_SETPOS, position, 0);
  ReplyMessage(0);
  DrawOnce(g_progressBar);
}
