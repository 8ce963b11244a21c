// messagebox.cpp: MessageBoxA without a display: each call goes to a settable handler. The default
// handler writes "caption: text" on stderr and answers IDOK, as a user would who confirms the box.
#include "QorPlatform.h"

#include <cstdio>
#include <mutex>

namespace {

struct MessageBoxes {
    std::mutex mutex;
    QOR_MESSAGE_BOX_HANDLER handler = nullptr;
    void *context = nullptr;
};

MessageBoxes &Boxes()
{
    static MessageBoxes boxes;
    return boxes;
}

int DefaultHandler(const char *text, const char *caption)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
    return IDOK;
}

} // namespace

QOR_MESSAGE_BOX_HANDLER QorSetMessageBoxHandler(QOR_MESSAGE_BOX_HANDLER handler, void *context)
{
    MessageBoxes &boxes = Boxes();
    std::lock_guard<std::mutex> lock(boxes.mutex);
    QOR_MESSAGE_BOX_HANDLER previous = boxes.handler;
    boxes.handler = handler;
    boxes.context = handler != nullptr ? context : nullptr;
    return previous;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType)
{
    // Windows shows a null caption as "Error" and a null text as an empty box.
    const char *caption = lpCaption != nullptr ? lpCaption : "Error";
    const char *text = lpText != nullptr ? lpText : "";
    MessageBoxes &boxes = Boxes();
    QOR_MESSAGE_BOX_HANDLER handler;
    void *context;
    {
        std::lock_guard<std::mutex> lock(boxes.mutex);
        handler = boxes.handler;
        context = boxes.context;
    }
    return handler != nullptr ? handler(hWnd, text, caption, uType, context) : DefaultHandler(text, caption);
}
