// The page's part of Glass Meridian (emitted before the compiled program): the
// setup dialog as an HTML form built from the dialog model's table, its keys,
// the start (full screen, audio context, the show) and the end; or, with
// ?frame=MS&size=WxH, one frame at a fixed time for tests and for sharing.

// The focus moves gm_dialog_next_focus takes.
var GM_FOCUS = { nextTab: 0, previousTab: 1, nextInGroup: 2, previousInGroup: 3 };

function gmStatus(text) {
  document.getElementById('status').textContent = text;
}

function gmShowStage() {
  document.getElementById('stage').style.display = 'block';
}

// The dialog: each control of the table at its pixel place; radio buttons
// are reached by the arrow keys only, as in the desktop dialog.
function gmBuildDialog() {
  var table = JSON.parse(UTF8ToString(Module._gm_dialog_description()));
  var dialog = document.createElement('div');
  dialog.id = 'dialog';
  dialog.setAttribute('role', 'dialog');
  dialog.setAttribute('aria-label', table.caption);
  var caption = document.createElement('div');
  caption.className = 'caption';
  caption.textContent = table.caption;
  dialog.appendChild(caption);
  var client = document.createElement('div');
  client.className = 'client';
  client.style.width = table.width + 'px';
  client.style.height = table.height + 'px';
  dialog.appendChild(client);

  var focusable = [];  // by table index; null where a control takes no focus
  var radios = [], boxes = [];
  table.controls.forEach(function(c, index) {
    var element;
    if (c.kind === 'group') {
      element = document.createElement('div');
      element.className = 'control group' + (c.flat ? ' flat' : '');
      if (c.text) {
        var legend = document.createElement('span');
        legend.textContent = c.text;
        element.appendChild(legend);
      }
    } else if (c.kind === 'banner') {
      element = document.createElement('canvas');
      element.className = 'control';
      element.width = Module._gm_banner_width();
      element.height = Module._gm_banner_height();
      var pixels = HEAPU8.subarray(Module._gm_banner_rgba(), Module._gm_banner_rgba() + element.width * element.height * 4);
      var picture = new ImageData(new Uint8ClampedArray(pixels), element.width, element.height);
      element.getContext('2d').putImageData(picture, 0, 0);
      c.width = element.width;  // a bitmap control takes its picture's size
      c.height = element.height;
    } else if (c.kind === 'button') {
      element = document.createElement('button');
      element.className = 'control';
      element.type = 'button';
      element.textContent = c.text;
      element.dataset.id = c.id;
      element.addEventListener('click', c.id === 1 ? gmAccept : gmDecline);
      focusable[index] = element;
    } else {
      element = document.createElement('label');
      element.className = 'control';
      var input = document.createElement('input');
      input.type = c.kind === 'radio' ? 'radio' : 'checkbox';
      if (c.kind === 'radio') input.name = 'mode';
      input.checked = c.checked;
      input.dataset.id = c.id;
      input.tabIndex = c.tabStop ? 0 : -1;
      element.appendChild(input);
      element.appendChild(document.createTextNode(c.text));
      (c.kind === 'radio' ? radios : boxes).push(input);
      focusable[index] = input;
    }
    element.style.left = c.x + 'px';
    element.style.top = c.y + 'px';
    element.style.width = c.width + 'px';
    element.style.height = c.height + 'px';
    client.appendChild(element);
  });

  function indexOfFocus() {
    var i = focusable.indexOf(document.activeElement);
    return i < 0 ? 0 : i;  // the accept button when the focus is on none of them
  }
  function moveFocus(move) {
    var next = Module._gm_dialog_next_focus(indexOfFocus(), move);
    var target = focusable[next];
    if (!target) return;
    target.focus();
    var arrow = move === GM_FOCUS.nextInGroup || move === GM_FOCUS.previousInGroup;
    if (arrow && target.type === 'radio') target.checked = true;
  }
  // Enter presses the focused push button, else accepts; Escape declines;
  // Tab and the arrows move the focus as the dialog model says.
  dialog.addEventListener('keydown', function(event) {
    var key = event.key;
    if (key === 'Enter') {
      var focused = document.activeElement;
      if (focused && focused.tagName === 'BUTTON') focused.click(); else gmAccept();
    } else if (key === 'Escape') {
      gmDecline();
    } else if (key === 'Tab') {
      moveFocus(event.shiftKey ? GM_FOCUS.previousTab : GM_FOCUS.nextTab);
    } else if (key === 'ArrowRight' || key === 'ArrowDown') {
      moveFocus(GM_FOCUS.nextInGroup);
    } else if (key === 'ArrowLeft' || key === 'ArrowUp') {
      moveFocus(GM_FOCUS.previousInGroup);
    } else {
      return;
    }
    event.preventDefault();
    event.stopPropagation();
  });

  Module.gmDialog = { element: dialog, radios: radios, boxes: boxes };
  document.body.appendChild(dialog);
  focusable.some(function(e) { if (e) { e.focus(); return true; } return false; });
}

function gmCloseDialog() {
  var d = Module.gmDialog;
  if (!d) return null;
  Module.gmDialog = null;
  d.element.remove();
  return d;
}

// "Vielleicht": full screen for "Sehen" and the audio context for "Hören" are
// asked for here, inside the viewer's key press or click, as browsers want.
function gmAccept() {
  var d = gmCloseDialog();
  if (!d) return;
  var radioMask = 0, boxMask = 0;
  d.radios.forEach(function(r, i) { if (r.checked) radioMask |= 1 << i; });
  d.boxes.forEach(function(b, i) { if (b.checked) boxMask |= 1 << i; });
  gmStatus('');
  gmShowStage();
  var stage = document.getElementById('stage');
  if (boxMask & 1 && stage.requestFullscreen) {
    // With the keyboard locked, Escape reaches the page (the browser leaves
    // full screen when it is held); without, leaving full screen ends the show.
    stage.requestFullscreen().then(function() {
      if (navigator.keyboard && navigator.keyboard.lock) return navigator.keyboard.lock(['Escape']);
    }).catch(function() {});
  }
  if (boxMask & 2) {
    var Context = window.AudioContext || window.webkitAudioContext;
    if (Context && !Module.gmAudioContext) Module.gmAudioContext = new Context();
    if (Module.gmAudioContext) Module.gmAudioContext.resume();
  }
  document.getElementById('canvas').focus();
  document.body.dataset.state = 'playing';
  Module._gm_play(radioMask, boxMask);
}

// "Niemals", Escape: nothing starts; a line says so.
function gmDecline() {
  if (!gmCloseDialog()) return;
  gmStatus('Glass Meridian wurde nicht gestartet.');
  document.body.dataset.state = 'declined';
}

Module.onShowEnded = function(code, failures) {
  if (document.fullscreenElement) document.exitFullscreen().catch(function() {});
  document.getElementById('stage').style.display = 'none';
  gmStatus(failures ? failures : 'Ende.');
  document.body.dataset.state = 'ended';
  document.body.dataset.exitCode = code;
};

// What is wrong with ?frame=MS&size=WxH, or '' when nothing is: each given
// once, each by the command line's rules (--start, --size), and the size
// within what this browser's WebGL draws.
function gmFrameParametersProblem(params) {
  var names = ['frame', 'size'];
  for (var i = 0; i < names.length; ++i) {
    var given = params.getAll(names[i]);
    if (given.length > 1) return names[i] + ': given ' + given.length + ' times; give it once';
    if (given.length === 0) continue;
    var refusal = Module.ccall('gm_check_parameter', 'string', ['string', 'string'], [names[i], given[0]]);
    if (refusal) return refusal;
  }
  var size = (params.get('size') || '640x480').toLowerCase().split('x').map(Number);
  var gl = document.createElement('canvas').getContext('webgl2');
  if (!gl) return 'this browser has no WebGL 2';
  var dims = gl.getParameter(gl.MAX_VIEWPORT_DIMS);
  var largest = Math.min(gl.getParameter(gl.MAX_RENDERBUFFER_SIZE), gl.getParameter(gl.MAX_TEXTURE_SIZE),
                         dims[0], dims[1]);
  var lose = gl.getExtension('WEBGL_lose_context');
  if (lose) lose.loseContext();
  if (size[0] > largest || size[1] > largest)
    return 'size: ' + size[0] + 'x' + size[1] + ' is beyond this browser\'s WebGL, which draws at most ' +
           largest + 'x' + largest;
  return '';
}

// ?frame=MS&size=WxH: that one frame, and its PNG in window.gmFrame, taken
// before the browser presents (and may clear) the canvas. A wrong parameter
// is named on the page and the console, and nothing is drawn.
function gmRenderFrame(params) {
  document.body.className = 'frame';
  var problem = gmFrameParametersProblem(params);
  if (problem) {
    gmStatus(problem);
    console.error('glass-meridian: ' + problem);
    window.gmFrame = '';
    document.body.dataset.state = 'refused';
    return;
  }
  gmStatus('');
  gmShowStage();
  var size = (params.get('size') || '640x480').toLowerCase().split('x');
  var ok = Module._gm_render_frame(Number(params.get('frame')), Number(size[0]), Number(size[1]));
  window.gmFrame = ok ? document.getElementById('canvas').toDataURL('image/png') : '';
  document.body.dataset.state = ok ? 'frame' : 'failed';
}

Module.onRuntimeInitialized = function() {
  var params = new URLSearchParams(window.location.search);
  if (params.has('frame')) {
    gmRenderFrame(params);
  } else {
    gmStatus('');
    gmBuildDialog();
    document.body.dataset.state = 'dialog';
  }
};
