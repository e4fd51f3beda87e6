// The reply of a file upload, read from plain JSON; its keys are the property names.
#pragma once

#include "modelcoding.h"

struct KorvoUpdateFileUploadResultModel {
    static constexpr const char* className = "KorvoUpdateFileUploadResultModel";

    bool status = false;
    QString msg, name, path, thumb;
    long long size = 0;
    QString ext;

    static const modelcoding::KeyMap& mj_replacedKeyFromPropertyName() {
        static const modelcoding::KeyMap keys;
        return keys;
    }
    static const modelcoding::KeyMap& mj_objectClassInArray() {
        static const modelcoding::KeyMap classes;
        return classes;
    }
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
