// The reply of a file upload, read from plain JSON; its keys are the property names.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateFileUploadResultModel : modelcoding::ModelDefaults {
    static constexpr const char* className = "KorvoUpdateFileUploadResultModel";

    bool status = false;
    QString msg, name, path, thumb;
    long long size = 0;
    QString ext;

    template <class V> void mj_properties(V& v) {
        v("status", status);
        v("msg", msg);
        v("name", name);
        v("path", path);
        v("thumb", thumb);
        v("size", size);
        v("ext", ext);
    }
};
