// The page's worker: the library's WebAssembly (createArribada, defined just
// above this in the same script) runs here, off the page's main thread. One
// request at a time: {id, kind, ...} in; {id, type: 'progress', done, total}
// while it runs, then {id, type: 'answer', answer} with the library's JSON
// answer as an object ({ok: true, ...} or {ok: false, message}).
'use strict';

// The module would fetch its own data: address first (and the page's
// policy refuses every fetch); without fetch it decodes the base64 itself.
self.fetch = undefined;

let current = 0;  // the request being answered, for its progress
const ready = createArribada({
  onProgress: (done, total) => postMessage({ id: current, type: 'progress', done, total }),
  print: () => {},
  printErr: () => {},
});

// Copies bytes (a Uint8Array) or a string's UTF-8 into the module's memory,
// with a closing zero; the caller frees the pointer.
function copyIn(lib, value) {
  if (typeof value === 'string') {
    const size = lib.lengthBytesUTF8(value) + 1;
    const at = lib._malloc(size);
    lib.stringToUTF8(value, at, size);
    return [at, size - 1];
  }
  const closed = new Uint8Array(value.length + 1);
  closed.set(value);
  const at = lib._malloc(closed.length);
  lib.writeArrayToMemory(closed, at);
  return [at, value.length];
}

// Calls fn with the values copied in, frees them, and reads the JSON answer.
function call(lib, fn, values, ...rest) {
  const copies = values.map((value) => copyIn(lib, value));
  try {
    return JSON.parse(lib.UTF8ToString(fn(...copies.flat(), ...rest)));
  } finally {
    copies.forEach(([at]) => lib._free(at));
  }
}

const work = {
  nights(lib, request) {
    lib._arribada_nights_clear();
    for (const file of request.files) {
      const copies = [copyIn(lib, file.name), copyIn(lib, file.bytes)];
      lib._arribada_nights_add(copies[0][0], copies[1][0], copies[1][1]);
      copies.forEach(([at]) => lib._free(at));
    }
    const answer = JSON.parse(lib.UTF8ToString(lib._arribada_nights_run()));
    lib._arribada_nights_clear();
    return answer;
  },
  designFile(lib, request) {
    const copies = [copyIn(lib, request.name), copyIn(lib, request.bytes)];
    try {
      return JSON.parse(lib.UTF8ToString(lib._arribada_design_file(copies[0][0], copies[1][0], copies[1][1])));
    } finally {
      copies.forEach(([at]) => lib._free(at));
    }
  },
  designForm(lib, request) {
    return call(lib, (at) => lib._arribada_design_form(at), [request.lines]);
  },
  designFormText(lib, request) {
    return call(lib, (at) => lib._arribada_design_form_text(at), [request.lines]);
  },
  simulate(lib, request) {
    const v = request.values;
    const answer = lib._arribada_simulate(v.NN, v.IHR, v.MIN, v.STDDEV, v.NTR, v.IC, v.IREP,
      v.JX === null ? 0 : 1, v.JX === null ? 0 : v.JX, v.KSW);
    return JSON.parse(lib.UTF8ToString(answer));
  },
};

onmessage = async (event) => {
  const request = event.data;
  let answer;
  try {
    const lib = await ready;
    current = request.id;
    answer = work[request.kind](lib, request);
  } catch (fault) {
    answer = { ok: false, message: String(fault && fault.message ? fault.message : fault) };
  }
  postMessage({ id: request.id, type: 'answer', answer });
};
