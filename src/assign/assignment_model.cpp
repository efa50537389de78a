#include "assign/assignment_model.h"

namespace rl4 {

namespace {
template <typename Record, typename Field>
Field& pick(Record& r, Layer layer, Field Record::*video, Field Record::*audio, Field Record::*rgb,
            Field Record::*yc) {
    switch (layer) {
    case Layer::Video:
        return r.*video;
    case Layer::Audio:
        return r.*audio;
    case Layer::Rgb:
        return r.*rgb;
    case Layer::Yc:
        break;
    }
    return r.*yc;
}
} // namespace

int Source::input(Layer layer) const {
    return const_cast<Source*>(this)->input(layer);
}
int& Source::input(Layer layer) {
    return pick(*this, layer, &Source::Vin, &Source::Ain, &Source::Rin, &Source::YWi);
}

int Destination::output(Layer layer) const {
    return const_cast<Destination*>(this)->output(layer);
}
int& Destination::output(Layer layer) {
    return pick(*this, layer, &Destination::Vou, &Destination::Aou, &Destination::Rou, &Destination::YWo);
}

int& MatrixSizes::out(Layer layer) {
    return pick(*this, layer, &MatrixSizes::videoOut, &MatrixSizes::audioOut, &MatrixSizes::rgbOut,
                &MatrixSizes::ycOut);
}

int& MatrixSizes::in(Layer layer) {
    return pick(*this, layer, &MatrixSizes::videoIn, &MatrixSizes::audioIn, &MatrixSizes::rgbIn,
                &MatrixSizes::ycIn);
}

} // namespace rl4
