// The page's wiring: form fields and files into the WebAssembly module's
// web_* functions, their results onto the page, and the machine run from
// the browser's animation timer. The toolkit's logic is all in the module.
'use strict';

createSpinLoad().then(function (M) {
  var $ = function (id) { return document.getElementById(id); };
  var made = null;      // {name, bytes, inches} of the last disk made
  var opened = null;    // {name, bytes} of the last disk opened
  var machine = 0;      // the running machine, or 0
  var outcome = null;   // how its boot ends, worked out ahead
  var frame = 0, lastTime = 0;

  // Bytes and strings into the module's memory for the length of one call.
  function withMemory(bytes, strings, call) {
    var pointers = [];
    function put(size) { var p = M._malloc(Math.max(size, 1)); pointers.push(p); return p; }
    var data = put(bytes.length);
    M.HEAPU8.set(bytes, data);
    var texts = strings.map(function (s) {
      var size = M.lengthBytesUTF8(s) + 1, p = put(size);
      M.stringToUTF8(s, p, size);
      return p;
    });
    try { return call(data, bytes.length, texts); } finally { pointers.forEach(M._free); }
  }

  // A WebResult's bytes and report, copied out and freed.
  function take(result) {
    var start = M._web_result_bytes(result), size = M._web_result_size(result);
    var taken = {bytes: M.HEAPU8.slice(start, start + size),
                 report: JSON.parse(M.UTF8ToString(M._web_result_json(result)))};
    M._web_result_free(result);
    return taken;
  }

  function readFile(input) {
    var file = input.files[0];
    return file ? file.arrayBuffer().then(function (b) { return {name: file.name, bytes: new Uint8Array(b)}; })
                : Promise.reject(new Error('Choose a file first.'));
  }

  function download(bytes, name) {
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
    link.download = name;
    link.click();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 10000);
  }

  function hex(n) { return n === null ? '' : '$' + n.toString(16).toUpperCase().padStart(4, '0'); }
  function element(tag, text, className) {
    var e = document.createElement(tag);
    e.textContent = text;
    if (className) e.className = className;
    return e;
  }
  function fill(list, items) { list.replaceChildren.apply(list, items); }
  function findings(warnings) {
    return warnings.map(function (w) { return element('li', w.level + ': ' + w.message, w.level); });
  }

  // Make a disk: spindisk make with the form's fields, once for the .65d
  // and again for each other format asked for (the same disk, encoded).
  function makeAs(file, fields, output) {
    return take(withMemory(file.bytes, [file.name, fields.inputFormat, fields.load, fields.start, fields.label,
                                        fields.loader, output],
      function (data, size, t) {
        return M._web_make_disk(data, size, t[0], t[1], t[2], t[3], fields.inches, t[4], t[5], fields.allowErrors, t[6]);
      }));
  }

  $('make-form').addEventListener('submit', function (event) {
    event.preventDefault();
    var fields = {inputFormat: $('make-input-format').value, load: $('make-load').value.trim(),
                  start: $('make-start').value.trim(), label: $('make-label').value,
                  inches: Number($('make-disk').value), loader: $('make-loader').value,
                  allowErrors: $('make-allow-errors').checked};
    readFile($('make-file')).then(function (file) {
      var result = makeAs(file, fields, '65d');
      made = result.report.ok ? {file: file, fields: fields, name: result.report.output_name, bytes: result.bytes} : null;
      showMade(result.report, fields.inches);
    }).catch(function (e) { made = null; showMade({ok: false, error: e.message, findings: []}, 5); });
  });

  function showMade(r, inches) {
    $('make-result').hidden = false;
    $('make-summary').textContent = r.ok ? r.summary.replace(/^wrote /, 'made ') : 'Refused: ' + r.error;
    $('make-summary').className = r.ok ? 'summary' : 'summary error';
    fill($('make-findings'), findings(r.findings));
    $('make-boot').textContent = r.boot_text || '';
    ['download-65d', 'download-hfe', 'download-osi', 'make-boot-button'].forEach(function (id) { $(id).disabled = !made; });
    $('download-osi').textContent = 'Download .os' + inches;
  }

  function downloadAs(output) {
    var result = makeAs(made.file, made.fields, output);
    if (result.report.ok) download(result.bytes, result.report.output_name);
    else showMade(result.report, made.fields.inches);
  }
  $('download-65d').addEventListener('click', function () { download(made.bytes, made.name); });
  $('download-hfe').addEventListener('click', function () { downloadAs('hfe'); });
  $('download-osi').addEventListener('click', function () { downloadAs('osi'); });
  $('make-boot-button').addEventListener('click', function () { boot(made.bytes, made.name); });

  // Open a disk.
  $('open-file').addEventListener('change', function () {
    readFile($('open-file')).then(function (file) {
      var r = take(withMemory(file.bytes, [file.name], function (data, size, t) {
        return M._web_list_disk(data, size, t[0]);
      })).report;
      opened = r.ok ? file : null;
      $('open-result').hidden = !r.ok;
      $('open-error').hidden = r.ok;
      $('open-error').textContent = r.ok ? '' : r.error;
      if (r.ok) showListing(r.listing, r.text, r.source);
    });
  });

  function showListing(l, text, source) {
    var boot = l.boot.mode === 'loader' ? "SpinLoad's loader, start " + hex(l.boot.exec_address)
             : l.boot.mode === 'raw' ? 'boot code, ' + l.boot.page_count + ' pages' : 'unknown boot code';
    var end = l.terminator ? '; terminator on track ' + l.terminator.track + ' at ' + hex(l.terminator.address) : '';
    $('open-summary').textContent = (source ? source + '. ' : '') + l.format + ' disk, ' + boot + end + '; label: ' +
      (l.label.lines.join(' / ') || '(none)') + (l.label.default ? ' (the default)' : '');
    var rows = [['track', 'pages', 'chunk', 'bytes', 'stored'].map(function (h) { return element('th', h); })];
    l.tracks.forEach(function (t) {
      rows.push([t.track, t.page_count, hex(t.load_address) + '-' + hex(t.end_address),
                 t.bytes + (t.bytes_derived ? '' : '*'), hex(t.load_address) + '-' + hex(t.stored_end_address)]
        .map(function (v) { return element('td', String(v)); }));
    });
    fill($('open-tracks'), rows.map(function (cells) { var tr = element('tr', ''); fill(tr, cells); return tr; }));
    fill($('open-findings'), findings(l.warnings));
    $('open-text').textContent = text;
  }
  $('open-boot-button').addEventListener('click', function () { boot(opened.bytes, opened.name); });

  // Boot it: the machine runs in slices, one per animation frame.
  var inDrive = null;   // {bytes, name} of the disk booted last, for the machine menu
  function boot(bytes, name) {
    stop();
    inDrive = {bytes: bytes, name: name};
    machine = withMemory(bytes, [name, $('boot-machine').value], function (data, size, t) {
      return M._web_machine_boot(data, size, t[0], t[1]);
    });
    var error = M.UTF8ToString(M._web_machine_error(machine));
    if (error) { stop(); $('boot-status').textContent = 'Cannot boot: ' + error + '.'; return; }
    outcome = JSON.parse(M.UTF8ToString(M._web_machine_boot_json(machine)));
    var state = JSON.parse(M.UTF8ToString(M._web_machine_state_json(machine)));
    fill($('strip'), Array.from({length: state.track_count}, function (_, t) { return element('span', '', 'track'); }));
    $('screen').width = M._web_machine_screen_width(machine);
    $('screen').height = M._web_machine_screen_height(machine);
    $('boot-stop').disabled = false;
    $('boot').scrollIntoView();
    lastTime = performance.now();
    frame = requestAnimationFrame(tick);
  }

  function stop() {
    cancelAnimationFrame(frame);
    if (machine) M._web_machine_free(machine);
    machine = 0;
    $('boot-stop').disabled = true;
  }
  // The machine menu: the disk's own machine, or one of the table's.
  take(M._web_machines()).report.machines.forEach(function (m) {
    var option = element('option', m.name + ': ' + m.summary);
    option.value = m.name;
    $('boot-machine').appendChild(option);
  });
  $('boot-machine').addEventListener('change', function () { if (inDrive) boot(inDrive.bytes, inDrive.name); });

  // Keys typed on the screen go to the machine's keyboard, one at a time as
  // the program polls for them; spindisk boot's --keys escapes say which.
  var SPECIAL_KEYS = {Enter: '\\r', Escape: '\\e', '\\': '\\\\'};
  $('screen').addEventListener('keydown', function (event) {
    var text = SPECIAL_KEYS[event.key] || (event.key.length === 1 ? event.key : '');
    if (!machine || !text || event.ctrlKey || event.metaKey || event.altKey) return;
    event.preventDefault();
    withMemory([], [text], function (data, size, t) { return M._web_machine_type(machine, t[0]); });
  });

  $('boot-stop').addEventListener('click', function () { draw(); stop(); $('boot-status').textContent += ' Stopped.'; });

  var FAST_FRAME_MS = 12;   // leave the rest of a 60 Hz frame to the browser
  var MAX_STEP_MS = 100;    // after a pause, do not try to catch up
  function tick(now) {
    var hz = M._web_machine_cpu_hz(machine), running;
    if ($('speed-fast').checked) {
      do running = M._web_machine_run(machine, hz / 100); while (running && performance.now() - now < FAST_FRAME_MS);
    } else {
      running = M._web_machine_run(machine, Math.min(now - lastTime, MAX_STEP_MS) / 1000 * hz);
    }
    lastTime = now;
    draw();
    if (running) frame = requestAnimationFrame(tick);
    else { stop(); $('boot-status').textContent += ' The CPU stopped.'; }
  }

  function draw() {
    var canvas = $('screen'), w = canvas.width, h = canvas.height;
    var pixels = M._web_machine_screen_pixels(machine);
    var image = new ImageData(new Uint8ClampedArray(M.HEAPU8.buffer, pixels, w * h * 4).slice(), w, h);
    canvas.getContext('2d').putImageData(image, 0, 0);
    $('screen-text').textContent = M.UTF8ToString(M._web_machine_screen_text(machine));
    var s = JSON.parse(M.UTF8ToString(M._web_machine_state_json(machine)));
    var ended = s.seconds >= outcome.seconds;
    var boot = !ended ? 'Booting' : outcome.result === 'started'
      ? 'Started at ' + hex(outcome.start_address) + ' after ' + outcome.seconds.toFixed(2) + ' s'
      : 'Boot failed after ' + outcome.seconds.toFixed(2) + ' s: ' + outcome.failure;
    $('boot-status').textContent = boot + '. ' + s.seconds.toFixed(2) + ' s emulated; PC ' + hex(s.pc) +
      '; head on track ' + s.head_track + (s.head_loaded ? ', loaded' : '') + '.';
    var cells = $('strip').children, here = s.visits[s.visits.length - 1];
    Array.from(cells).forEach(function (cell) { cell.className = 'track'; });
    s.visits.forEach(function (v) {
      var cell = cells[v.track];
      cell.className = 'track ' + (v.bytes_lost || v.read_back_errors ? 'lost' : v.bytes_read ? 'read' : '');
      cell.title = 'track ' + v.track + ': ' + v.bytes_read + ' bytes read, ' + v.bytes_lost + ' lost, ' +
                   v.revolutions + ' revolutions';
    });
    cells[s.head_track].className += ' head';
    $('strip-text').textContent = 'Track ' + here.track + ': revolution ' + (here.revolutions + 1) + ', ' +
      here.bytes_read + ' bytes read, ' + here.bytes_lost + ' lost to overruns.';
  }

  // A file dropped on a file field is chosen in it.
  Array.from(document.querySelectorAll('.drop')).forEach(function (zone) {
    var input = zone.querySelector('input');
    zone.addEventListener('dragover', function (e) { e.preventDefault(); zone.classList.add('over'); });
    zone.addEventListener('dragleave', function () { zone.classList.remove('over'); });
    zone.addEventListener('drop', function (e) {
      e.preventDefault();
      zone.classList.remove('over');
      input.files = e.dataTransfer.files;
      input.dispatchEvent(new Event('change'));
    });
  });

  $('status').textContent = 'Ready.';
  $('make-button').disabled = false;
});
